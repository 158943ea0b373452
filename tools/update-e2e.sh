#!/usr/bin/env bash
# Whole-program check of the signed self-update: a build with a key, run under
# Xvfb against python3 -m http.server on 127.0.0.1. First a signed release is
# installed; then one byte of the program file is changed on the server and
# the update must be refused with the program folder left as it was.
# With --installation each run installs the build (`make install`'s command)
# into a fresh HOME and starts the installed copy from there, as its menu
# entry does; after the signed release `make uninstall` must leave the files
# the update brought.
# Usage: tools/update-e2e.sh [--installation] [BUILD_DIR] (default build-e2e);
# leaves its files and the screenshot of the refusal in $E2E_DIR (default
# /tmp/sichtwerk-e2e).
set -euo pipefail
cd "$(dirname "$0")/.."
INSTALLATION=
if [ "${1:-}" = --installation ]; then
    INSTALLATION=1
    shift
fi
BUILD=${1:-build-e2e}
PORT=${E2E_PORT:-8711}
DIR=${E2E_DIR:-/tmp/sichtwerk-e2e}
rm -rf "$DIR" && mkdir -p "$DIR"

if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    build/sichtwerk-signieren schluessel "$DIR/schluessel" > "$DIR/oeffentlich" ||
        cmake --build build --target sichtwerk-signieren
    cmake -S . -B "$BUILD" -DSICHTWERK_UPDATE_KEY="$(cat "$DIR/oeffentlich")" \
        -DSICHTWERK_UPDATE_SERVER="http://127.0.0.1:$PORT" >/dev/null
else
    KEYFILE=${E2E_KEY:?"E2E_KEY: the secret key file for the key $BUILD was built with"}
    cp "$KEYFILE" "$DIR/schluessel"
fi
cmake --build "$BUILD" --target Sichtwerk sichtwerk-signieren \
    ${INSTALLATION:+sichtwerk-schnitt sichtwerk-paketdateien} >/dev/null

SERVER=$DIR/server
R=$SERVER/wandelbuch/Sichtwerk
mkdir -p "$R" "$SERVER/dateien"
printf 'Version: 2,000\r\n' > "$R/version.txt"
printf 'neues Programm\n' > "$R/Sichtwerk.txt"
printf 'echo "Skript lief in $(pwd)" > skript-lief.txt\n' > "$R/update.txt"
printf 'Kartendaten\n' > "$SERVER/dateien/karte.dat"
printf '[Namen]\r\nDatei1=karte.dat\r\n[URL]\r\nDatei1=http://127.0.0.1:%s/dateien/karte.dat\r\n[Pfad]\r\nDatei1=\\daten\\\r\n' \
    "$PORT" > "$R/updatedata.txt"
"$BUILD/sichtwerk-signieren" signieren "$DIR/schluessel" "$SERVER"
cat "$R/signatur.txt"

python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$SERVER" >"$DIR/server.log" 2>&1 &
HTTP=$!
trap 'kill $HTTP 2>/dev/null || true' EXIT
sleep 1

stand() { (cd "$1" && find . -type f ! -name '*.png' -print0 | sort -z | xargs -0 sha256sum); }

# The program folder of a run, and the HOME it is installed in.
heim() { echo "$DIR/$1-heim"; }
ordner() {
    if [ -n "$INSTALLATION" ]; then echo "$(heim "$1")/.local/share/Sichtwerk"; else echo "$DIR/$1"; fi
}

# One run: copies the program into a fresh folder (or installs it), starts it,
# answers the question with Yes, waits and optionally answers the error box.
lauf() {
    local prog start=$PWD
    prog=$(ordner "$1")
    if [ -n "$INSTALLATION" ]; then
        start=$(heim "$1")
        mkdir -p "$start"
        # The installed config.ini spares the start its question for one.
        HOME=$start XDG_DATA_HOME="" cmake --install "$BUILD" --prefix "$start/.local" --strip >/dev/null
    else
        mkdir -p "$prog"
        cp "$BUILD/Sichtwerk" "$prog/"
        # Without a configuration the start asks for one before the update check.
        printf '[Links]\r\nTop=0\r\nLeft=0\r\nWidth=10\r\nHeight=10\r\n' > "$prog/config.ini"
    fi
    printf 'alt\n' > "$prog/Sichtwerk.dxe"
    stand "$prog" > "$DIR/$1.vorher"
    (cd "$start" && xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        "$0/Sichtwerk" >"$2.log" 2>&1 & pid=$!
        for i in $(seq 1 50); do
            w=$(xdotool search --name "^Update$" 2>/dev/null | head -n 1) && [ -n "$w" ] && break
            sleep 0.2
        done
        xdotool windowfocus --sync "$w" key Return
        sleep 7
        if [ "$1" = refused ]; then
            import -window root "$2.png"
            w=$(xdotool search --name "^Error$" | head -n 1)
            xdotool windowfocus --sync "$w" key Return
            sleep 1
            import -window root "$2-fenster.png"
        fi
        if kill -0 $pid 2>/dev/null; then echo "läuft noch"; kill $pid; else echo "beendet"; fi
    ' "$prog" "$2" "$DIR/$1") | tee "$DIR/$1.ende"
    stand "$prog" > "$DIR/$1.nachher"
}

echo "== signiertes Release"
lauf installiert ok
cat "$DIR/installiert.nachher"
PROG=$(ordner installiert)
grep -q "beendet" "$DIR/installiert.ende"
grep -q "Skript lief in $PROG" "$PROG/skript-lief.txt"
[ "$(cat "$PROG/daten/karte.dat")" = Kartendaten ]
cmp -s "$R/Sichtwerk.txt" "$PROG/Sichtwerk.dxe"
if [ -n "$INSTALLATION" ]; then
    echo "== make uninstall nach dem Update"
    HEIM=$(heim installiert)
    for f in Sichtwerk.dxe update.cmd skript-lief.txt; do [ ! -e "$HEIM/$f" ]; done
    HOME=$HEIM XDG_DATA_HOME="" packaging/deinstallieren.sh
    [ ! -e "$PROG/Sichtwerk" ] && [ ! -e "$HEIM/.local/bin/sichtwerk-schnitt" ]
    [ -f "$PROG/Sichtwerk.dxe" ] && [ -f "$PROG/skript-lief.txt" ] && [ -f "$PROG/daten/karte.dat" ]
fi

echo "== ein Byte der Programmdatei geändert"
printf 'N' | dd of="$R/Sichtwerk.txt" bs=1 seek=0 conv=notrunc status=none
lauf abgelehnt refused
cat "$DIR/abgelehnt.log"
grep -q "läuft noch" "$DIR/abgelehnt.ende"
grep -q "Updatefehler: Datei 'Sichtwerk.dxe' stimmt nicht mit der Signatur überein" "$DIR/abgelehnt.log"
[ ! -e "$(ordner abgelehnt)/skript-lief.txt" ]
diff "$DIR/abgelehnt.vorher" "$DIR/abgelehnt.nachher"
echo "update-e2e: beide Läufe wie erwartet; Bildschirmfoto $DIR/abgelehnt.png"
