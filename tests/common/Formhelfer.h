#pragma once

#include <QString>

class Form1;
class QPushButton;
class QWidget;

// Drives the real controls of the main window the way a user does.
namespace formhelfer {

// Shows the window so that clicks reach the item views.
void zeigen(Form1& form);
QPushButton* knopf(const Form1& form, const QString& name);
// Opens the configuration chooser and clicks `datei` in it.
void konfigurationWaehlen(Form1& form, const QString& datei);
// Points the folder list at `ordner` and double-clicks `datei` in the picture list.
void bildDoppelklicken(Form1& form, const QString& ordner, const QString& datei);
// A frame configuration file in the profile format.
QByteArray konfiguration(const QString& richtung, int top, int left, int width, int height);
// All four directions with the sample rectangles, for pictures of 1140 × 855.
QByteArray beispielKonfiguration();

} // namespace formhelfer
