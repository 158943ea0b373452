# The per-user install, run by `cmake --install` (and so by `make install`)
# after CMakeLists.txt has set the SICHTWERK_* values it reads. The program
# writes into its own folder (frame configurations, views, its self-update),
# so that folder lies below the user's data folder, not below /usr:
#
#   <daten>/Sichtwerk/                 Sichtwerk, sichtwerk-schnitt, config.ini
#   <daten>/applications/              the menu entry
#   <daten>/icons/hicolor/             the icon: SVG and PNGs of 48, 128, 256 pixels
#   <daten>/metainfo/                  the AppStream data
#   <prefix>/bin/sichtwerk-schnitt     a symbolic link into the program folder
#   <prefix>/share/man/man1/           the manual page, found through the PATH
#
# <prefix> is the install prefix (~/.local for `make install`); <daten> is
# $XDG_DATA_HOME when it is set and the prefix is ~/.local, else
# <prefix>/share. A config.ini the folder already has is never replaced. The
# file .installiert in the program folder lists what was put there, for
# packaging/deinstallieren.sh (`make uninstall`).

cmake_policy(VERSION 3.25)
set(praefix "${CMAKE_INSTALL_PREFIX}")
set(daten "${praefix}/share")
if(praefix STREQUAL "$ENV{HOME}/.local" AND IS_ABSOLUTE "$ENV{XDG_DATA_HOME}")
    string(REGEX REPLACE "(.)/+$" "\\1" daten "$ENV{XDG_DATA_HOME}")
endif()
set(ordner "${daten}/Sichtwerk")
set(id de.sichtwerk.Sichtwerk)
# What is written lands below DESTDIR; the paths written into files do not.
set(ziel "$ENV{DESTDIR}")

# The folders this install makes, so that the uninstall can take them away
# again when they are empty.
set(zielordner "${ordner}" "${praefix}/bin" "${praefix}/share/man/man1" "${daten}/applications"
               "${daten}/metainfo" "${daten}/icons/hicolor/scalable/apps")
foreach(groesse IN LISTS SICHTWERK_SYMBOLGROESSEN)
    list(APPEND zielordner "${daten}/icons/hicolor/${groesse}x${groesse}/apps")
endforeach()
set(eintraege "")
foreach(o IN LISTS zielordner)
    while(NOT IS_DIRECTORY "${ziel}${o}")
        list(APPEND eintraege "ordner\t${o}")
        get_filename_component(o "${o}" DIRECTORY)
    endwhile()
endforeach()

# One file from the build into a folder, under its own or another name (a
# macro, so that file(INSTALL) adds it to CMake's install_manifest.txt too).
macro(einsetzen art quelle nach name)
    file(INSTALL DESTINATION "${nach}" TYPE ${art} FILES "${quelle}" RENAME "${name}")
    list(APPEND eintraege "datei\t${nach}/${name}")
endmacro()

foreach(programm IN LISTS SICHTWERK_PROGRAMME)
    get_filename_component(name "${programm}" NAME)
    einsetzen(PROGRAM "${programm}" "${ordner}" "${name}")
    if(CMAKE_INSTALL_DO_STRIP AND SICHTWERK_STRIP)
        execute_process(COMMAND "${SICHTWERK_STRIP}" "${ziel}${ordner}/${name}"
                        COMMAND_ERROR_IS_FATAL ANY)
    endif()
endforeach()

set(config "${ordner}/config.ini")
if(EXISTS "${ziel}${config}" OR IS_SYMLINK "${ziel}${config}")
    message(STATUS "Bleibt, wie es ist: ${ziel}${config}")
else()
    file(INSTALL DESTINATION "${ordner}" TYPE FILE FILES "${SICHTWERK_PAKET}/beispiele/config.ini")
    # Removed again only as long as nobody has changed it.
    file(SHA256 "${ziel}${config}" summe)
    list(APPEND eintraege "vorlage\t${summe}\t${config}")
endif()

# A link, not a copy, so that a self-update that replaces the program in the
# program folder reaches the command line too.
set(starter "${praefix}/bin/sichtwerk-schnitt")
message(STATUS "Installing: ${ziel}${starter} -> ${ordner}/sichtwerk-schnitt")
file(MAKE_DIRECTORY "${ziel}${praefix}/bin")
file(REMOVE "${ziel}${starter}")
file(CREATE_LINK "${ordner}/sichtwerk-schnitt" "${ziel}${starter}" SYMBOLIC)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${ziel}${starter}")
list(APPEND eintraege "verweis\t${ordner}/sichtwerk-schnitt\t${starter}")

# The menu entry starts the program in its folder. Exec is quoted as the
# freedesktop.org rules for desktop entries ask: \ " ` $ escaped inside the quotes, every
# backslash doubled once more for the string, % doubled.
set(programm "${ordner}/Sichtwerk")
string(REPLACE "\\" "\\\\" exec "${programm}")
string(REGEX REPLACE "([\"`$])" "\\\\\\1" exec "${exec}")
string(REPLACE "\\" "\\\\" exec "\"${exec}\"")
string(REPLACE "%" "%%" exec "${exec}")
string(REPLACE "\\" "\\\\" tryexec "${programm}")
file(READ "${SICHTWERK_QUELLE}/${id}.desktop.in" eintrag)
string(REPLACE "@EXEC@" "${exec}" eintrag "${eintrag}")
string(REPLACE "@TRYEXEC@" "${tryexec}" eintrag "${eintrag}")
set(desktop "${daten}/applications/${id}.desktop")
message(STATUS "Installing: ${ziel}${desktop}")
file(WRITE "${ziel}${desktop}" "${eintrag}")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${ziel}${desktop}")
list(APPEND eintraege "datei\t${desktop}")

einsetzen(FILE "${SICHTWERK_QUELLE}/${id}.svg" "${daten}/icons/hicolor/scalable/apps" "${id}.svg")
foreach(groesse IN LISTS SICHTWERK_SYMBOLGROESSEN)
    einsetzen(FILE "${SICHTWERK_PAKET}/symbole/${groesse}.png"
              "${daten}/icons/hicolor/${groesse}x${groesse}/apps" "${id}.png")
endforeach()
einsetzen(FILE "${SICHTWERK_PAKET}/${id}.metainfo.xml" "${daten}/metainfo" "${id}.metainfo.xml")
einsetzen(FILE "${SICHTWERK_PAKET}/sichtwerk-schnitt.1" "${praefix}/share/man/man1"
          "sichtwerk-schnitt.1")

# The list of the last install stays valid for what this one did not touch: a
# config.ini it had put there, files an older version had, folders it made.
set(liste "${ordner}/.installiert")
if(EXISTS "${ziel}${liste}")
    file(STRINGS "${ziel}${liste}" alte REGEX "^[a-z]+\t")
    set(neue_pfade "")
    foreach(e IN LISTS eintraege)
        string(REGEX REPLACE "^.*\t" "" pfad "${e}")
        list(APPEND neue_pfade "${pfad}")
    endforeach()
    foreach(e IN LISTS alte)
        string(REGEX REPLACE "^.*\t" "" pfad "${e}")
        if(NOT pfad IN_LIST neue_pfade
           AND (e MATCHES "^ordner\t" OR EXISTS "${ziel}${pfad}" OR IS_SYMLINK "${ziel}${pfad}"))
            list(APPEND eintraege "${e}")
        endif()
    endforeach()
endif()
list(REMOVE_DUPLICATES eintraege)
string(JOIN "\n" text
       "# Sichtwerk ${SICHTWERK_VERSION}: was die Installation hierher gelegt hat."
       "# \"make uninstall\" entfernt es wieder: Dateien und Verweise, eine Vorlage"
       "# nur, solange sie unverändert ist, Ordner nur, wenn sie leer sind."
       ${eintraege})
message(STATUS "Installing: ${ziel}${liste}")
file(WRITE "${ziel}${liste}" "${text}\n")
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${ziel}${liste}")

message(STATUS "Sichtwerk ${SICHTWERK_VERSION} ist installiert, der Programmordner ist ${ordner}")
string(REPLACE ":" ";" pfade "$ENV{PATH}")
if(NOT ziel AND NOT "${praefix}/bin" IN_LIST pfade)
    message(STATUS "Hinweis: ${praefix}/bin steht nicht im PATH; Debian nimmt ~/.local/bin bei "
                   "der nächsten Anmeldung auf, wenn es den Ordner gibt")
endif()
