#!/usr/bin/env bash
# The install as a user gets it. `make install`'s own command installs into a
# temporary HOME whose XDG_DATA_HOME lies elsewhere (both with blanks in the
# path); then the menu entry, the AppStream data and the manual page are
# validated, the installed sichtwerk-schnitt cuts a sample picture from the
# PATH, the installed window starts (its log read through the plugin
# fensterprotokoll), a second install leaves the user's files alone and
# `make uninstall` leaves exactly the user's files. A second HOME without
# XDG_DATA_HOME is left as empty as it was. Last, the archive of `make dist`
# is unpacked in an empty folder and run there.
# Usage: tests/install/installation.sh BUILD_DIR VERSION (CTest runs it).
set -euo pipefail
QUELLE=$(cd "$(dirname "$0")/../.." && pwd)
BAU=$(cd "$1" && pwd)
VERSION=$2
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8
# What Qt and fontconfig keep for themselves stays out of the HOMEs compared here.
export XDG_CACHE_HOME=$TMP/cache XDG_CONFIG_HOME=$TMP/config XDG_RUNTIME_DIR=$TMP/laufzeit
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset MANPATH DESTDIR

fehler() {
    echo "FEHLER: $*" >&2
    exit 1
}
schritt() { echo "== $*"; }
# Every file below a folder with its checksum, every link and every folder.
bestand() {
    (cd "$1" && {
        find . -mindepth 1 -type f -exec sha256sum {} +
        find . -mindepth 1 -type l -printf '%p -> %l\n'
        find . -mindepth 1 -type d -printf '%p/\n'
    } | sort)
}
# `make install` and `make uninstall` as the Makefile has them, for this build.
installieren() {
    local befehl
    befehl=$(cd "$QUELLE" && make -n --no-print-directory install BUILD_DIR="$BAU" |
        grep '^cmake --install')
    eval "$befehl"
}
deinstallieren() { (cd "$QUELLE" && make --no-print-directory uninstall); }
# The width and height of a PNG file, from its header.
png_groesse() { od -An -tu1 -j16 -N8 "$1" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }'; }
# The log lines the window shows after its start, read through the plugin.
startprotokoll() {
    QT_PLUGIN_PATH="$BAU/plugins" timeout 60 "$@" -plugin fensterprotokoll 2>"$TMP/start.err" ||
        fehler "$1 startet nicht: $(cat "$TMP/start.err")"
}
REGEL="=============================="
printf -v START '%s\n%s\n%s' "$REGEL" "Programmversion 1,300 initialisiert..." "$REGEL"

schritt "Installieren in ein HOME mit eigenem XDG_DATA_HOME"
export HOME="$TMP/Heim mit Leerzeichen"
export XDG_DATA_HOME="$HOME/Eigene Daten"
mkdir -p "$HOME/.local/bin" "$XDG_DATA_HOME/applications"
printf '#!/bin/sh\necho eigenes\n' >"$HOME/.local/bin/eigenes-werkzeug"
printf '[Desktop Entry]\nType=Application\nName=Anderes\nExec=anderes\n' \
    >"$XDG_DATA_HOME/applications/anderes.desktop"
cp -a "$HOME" "$TMP/erwartet"
installieren >"$TMP/install.log" || { cat "$TMP/install.log"; fehler "make install schlug fehl"; }
PROG=$XDG_DATA_HOME/Sichtwerk
for p in Sichtwerk sichtwerk-schnitt; do [ -x "$PROG/$p" ] || fehler "$PROG/$p fehlt"; done
cmp "$PROG/config.ini" "$BAU/packaging/beispiele/config.ini" || fehler "config.ini ist nicht das Beispiel"
[ "$(readlink "$HOME/.local/bin/sichtwerk-schnitt")" = "$PROG/sichtwerk-schnitt" ] ||
    fehler "~/.local/bin/sichtwerk-schnitt zeigt nicht in den Programmordner"
[ ! -e "$HOME/.local/share/Sichtwerk" ] && [ ! -e "$HOME/.local/share/applications" ] ||
    fehler "Daten unter ~/.local/share statt unter XDG_DATA_HOME"

schritt "Menüeintrag"
DESKTOP=$XDG_DATA_HOME/applications/de.sichtwerk.Sichtwerk.desktop
ausgabe=$(desktop-file-validate "$DESKTOP" 2>&1) || fehler "desktop-file-validate: $ausgabe"
[ -z "$ausgabe" ] || fehler "desktop-file-validate meldet: $ausgabe"
grep -qx 'Categories=Graphics;.*' "$DESKTOP" || fehler "Kategorie Graphics fehlt"
grep -qx 'MimeType=image/bmp;image/jpeg;image/gif;image/png;image/tiff;image/webp;' "$DESKTOP" || fehler "MIME-Typen fehlen"
grep -qx 'Icon=de.sichtwerk.Sichtwerk' "$DESKTOP" || fehler "Symbol fehlt im Menüeintrag"
exec_zeile=$(sed -n 's/^Exec=//p' "$DESKTOP")
eval "set -- $exec_zeile"
[ $# -eq 1 ] && [ "$1" = "$PROG/Sichtwerk" ] || fehler "Exec=$exec_zeile startet nicht $PROG/Sichtwerk"

schritt "Symbol"
SYMBOLE=$XDG_DATA_HOME/icons/hicolor
cmp "$SYMBOLE/scalable/apps/de.sichtwerk.Sichtwerk.svg" "$QUELLE/packaging/de.sichtwerk.Sichtwerk.svg"
for g in 48 128 256; do
    [ "$(png_groesse "$SYMBOLE/${g}x$g/apps/de.sichtwerk.Sichtwerk.png")" = "${g}x$g" ] ||
        fehler "das Symbol in ${g}x$g hat nicht diese Größe"
done

schritt "AppStream"
METAINFO=$XDG_DATA_HOME/metainfo/de.sichtwerk.Sichtwerk.metainfo.xml
appstreamcli validate --no-net "$METAINFO" || fehler "appstreamcli validate"
grep -q "<release version=\"$VERSION\"" "$METAINFO" || fehler "kein <release> für Version $VERSION"
grep -q '<screenshot type="default">' "$METAINFO" || fehler "kein Bildschirmfoto"

schritt "Handbuchseite"
MAN=$HOME/.local/share/man/man1/sichtwerk-schnitt.1
MANWIDTH=80 man --warnings -l "$MAN" >"$TMP/man.txt" 2>"$TMP/man.err" || fehler "man -l schlug fehl"
[ ! -s "$TMP/man.err" ] || fehler "man -l warnt: $(cat "$TMP/man.err")"
grep -q '^BEZEICHNUNG' "$TMP/man.txt" || fehler "die Handbuchseite ist nicht deutsch"
[ "$(PATH="$HOME/.local/bin:$PATH" man -w sichtwerk-schnitt)" = "$MAN" ] ||
    fehler "man findet die Seite nicht über den PATH"
for option in $("$PROG/sichtwerk-schnitt" --help | grep -oE -- '--[a-z]+' | sort -u); do
    grep -qF -- "$option" "$TMP/man.txt" || fehler "$option aus --help fehlt in der Handbuchseite"
done

schritt "sichtwerk-schnitt aus dem PATH schneidet ein Beispielbild"
mkdir -p "$TMP/arbeit" "$TMP/vergleich"
cp "$BAU/packaging/beispiele/szene1.jpg" "$TMP/arbeit/"
(cd "$TMP/arbeit" && PATH="$HOME/.local/bin:$PATH" sichtwerk-schnitt --config "$PROG/config.ini" \
    szene1.jpg) >"$TMP/schnitt.log" || fehler "sichtwerk-schnitt: $(cat "$TMP/schnitt.log")"
"$BAU/sichtwerk-schnitt" --config "$PROG/config.ini" --ausgabe "$TMP/vergleich" \
    "$TMP/arbeit/szene1.jpg" >/dev/null
for r in L R V Z; do
    cmp "$TMP/arbeit/ausgeschnitten/szene1_$r.bmp" "$TMP/vergleich/szene1_$r.bmp" ||
        fehler "die Ansicht $r ist nicht die des gebauten Programms"
done

schritt "Das installierte Fenster startet"
vorher=$(bestand "$PROG")
[ "$(cd "$HOME" && startprotokoll "$PROG/Sichtwerk")" = "$START" ] ||
    fehler "Startprotokoll falsch: $(cd "$HOME" && startprotokoll "$PROG/Sichtwerk")"
[ "$(bestand "$PROG")" = "$vorher" ] || fehler "der Start hat den Programmordner verändert"

schritt "Zweite Installation über die Dateien des Benutzers"
printf '[Links]\r\nTop=1\r\nLeft=2\r\nWidth=30\r\nHeight=40\r\n' >"$PROG/config.ini"
printf '[Zurück]\r\nWidth=5\r\n' >"$PROG/meine.ini"
cp -r "$TMP/arbeit/ausgeschnitten" "$PROG/"
printf 'aus einem Update\n' >"$PROG/Sichtwerk.dxe"
mkdir "$TMP/erwartet/Eigene Daten/Sichtwerk"
cp -a "$PROG"/{config.ini,meine.ini,ausgeschnitten,Sichtwerk.dxe} "$TMP/erwartet/Eigene Daten/Sichtwerk/"
benutzer=$(bestand "$TMP/erwartet/Eigene Daten/Sichtwerk")
installieren >"$TMP/install2.log" || { cat "$TMP/install2.log"; fehler "zweites make install"; }
grep -q "Bleibt, wie es ist: $PROG/config.ini" "$TMP/install2.log" || fehler "keine Meldung zu config.ini"
[ "$(bestand "$PROG" | grep -vE '  \./(Sichtwerk|sichtwerk-schnitt|\.installiert)$')" = "$benutzer" ] ||
    fehler "die zweite Installation hat Dateien des Benutzers verändert"

schritt "make uninstall lässt genau die Dateien des Benutzers"
deinstallieren >"$TMP/uninstall.log" || { cat "$TMP/uninstall.log"; fehler "make uninstall"; }
cat "$TMP/uninstall.log"
diff <(bestand "$TMP/erwartet") <(bestand "$HOME") || fehler "nach make uninstall bleibt anderes"
grep -q "config.ini (seit der Installation geändert)" "$TMP/uninstall.log" ||
    fehler "make uninstall sagt nicht, dass config.ini bleibt"
grep -q "^  ausgeschnitten/$" "$TMP/uninstall.log" || fehler "make uninstall nennt die Ansichten nicht"

schritt "Ohne XDG_DATA_HOME: alles unter ~/.local, danach ist HOME wieder leer"
export HOME="$TMP/Heim2"
unset XDG_DATA_HOME
mkdir "$HOME"
installieren >"$TMP/install3.log" || { cat "$TMP/install3.log"; fehler "make install ohne XDG"; }
for f in .local/share/Sichtwerk/Sichtwerk .local/share/Sichtwerk/config.ini \
    .local/share/applications/de.sichtwerk.Sichtwerk.desktop .local/bin/sichtwerk-schnitt \
    .local/share/metainfo/de.sichtwerk.Sichtwerk.metainfo.xml .local/share/man/man1/sichtwerk-schnitt.1 \
    .local/share/icons/hicolor/256x256/apps/de.sichtwerk.Sichtwerk.png; do
    [ -e "$HOME/$f" ] || fehler "~/$f fehlt"
done
deinstallieren >"$TMP/uninstall2.log" || { cat "$TMP/uninstall2.log"; fehler "make uninstall ohne XDG"; }
[ -z "$(ls -A "$HOME")" ] || fehler "HOME ist nach make uninstall nicht leer: $(find "$HOME")"
grep -q "Programmordner .* enthielt nichts anderes und ist entfernt" "$TMP/uninstall2.log" || fehler "Schlussmeldung fehlt"

schritt "Das Archiv läuft in einem leeren Ordner"
cpack --config "$BAU/CPackConfig.cmake" -B "$TMP/paket" >"$TMP/cpack.log" ||
    { cat "$TMP/cpack.log"; fehler "cpack"; }
NAME=Sichtwerk-$VERSION-linux-$(uname -m)
ARCHIV=$TMP/paket/$NAME.tar.gz
erwartet=$( (printf '%s\n' LIESMICH.txt Sichtwerk sichtwerk-schnitt; ls "$BAU/packaging/beispiele") |
    sed "s|^|$NAME/|" | sort)
[ "$(tar tzf "$ARCHIV" | grep -v '/$' | sort)" = "$erwartet" ] ||
    fehler "das Archiv enthält: $(tar tzf "$ARCHIV")"
mkdir "$TMP/leer"
tar xzf "$ARCHIV" -C "$TMP/leer"
cd "$TMP/leer/$NAME"
./sichtwerk-schnitt --config config.ini . >"$TMP/archiv-schnitt.log" ||
    fehler "sichtwerk-schnitt im Archiv: $(cat "$TMP/archiv-schnitt.log")"
bilder=$(find . -maxdepth 1 \( -name '*.jpg' -o -name '*.bmp' -o -name '*.gif' \) | wc -l)
[ "$bilder" -gt 0 ] && [ "$(find ausgeschnitten -name '*.bmp' | wc -l)" -eq $((bilder * 4)) ] ||
    fehler "nicht jede Ansicht jedes Beispielbildes geschnitten"
[ "$(startprotokoll ./Sichtwerk)" = "$START" ] || fehler "Startprotokoll im Archiv falsch"
# Every library the programs load by name comes from a package that
# LIESMICH.txt names, but for the C and C++ run-time every system has. A
# sanitizer build links more (its run-time, OpenGL) and is no release.
paket_von() {
    local p
    for p in "$1" "$(readlink -f "$1")"; do
        if dpkg -S "$p" >"$TMP/dpkg.txt" 2>/dev/null; then
            head -n 1 "$TMP/dpkg.txt" | cut -d: -f1
            return
        fi
    done
}
bibliotheken=$(readelf -d Sichtwerk sichtwerk-schnitt | sed -n 's/.*NEEDED.*\[\(.*\)\]/\1/p' | sort -u)
if grep -q '^libasan' <<<"$bibliotheken"; then
    echo "Sanitizer-Build: die Pakete in LIESMICH.txt werden nicht geprüft"
    bibliotheken=
fi
for bibliothek in $bibliotheken; do
    # The dynamic loader is libc6's; dpkg knows it only by its path before usrmerge.
    case $bibliothek in ld-linux*) continue ;; esac
    pfad=$(ldd Sichtwerk sichtwerk-schnitt | awk -v b="$bibliothek" '$1 == b && !n++ { print $3 }')
    paket=$(paket_von "$pfad")
    [ -n "$paket" ] || fehler "kein Paket für $bibliothek ($pfad)"
    case $paket in libc6 | libgcc-s1 | libstdc++6) continue ;; esac
    grep -qw -- "$paket" LIESMICH.txt || fehler "LIESMICH.txt nennt $paket nicht ($bibliothek)"
done
echo "installation: alles wie erwartet"
