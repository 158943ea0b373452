# Shared by the bench scripts: packages, the Release build, the work folder
# and the helpers that time runs and print the tables. Sourced, not run.
#
# Environment: BUILD_DIR (default build-bench), ARBEIT (work folder, default
# /tmp/sichtwerk-bench).
set -euo pipefail

REPO=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${BUILD_DIR:-$REPO/build-bench}
ARBEIT=${ARBEIT:-/tmp/sichtwerk-bench}
CONVERT=/usr/bin/convert # /usr/local/bin/convert is no ImageMagick on every machine
export QT_QPA_PLATFORM=offscreen

pakete() { # Debian packages the script needs beside the build's
    local fehlend=() p sudo=""
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            fehlend+=("$p")
    done
    if ((${#fehlend[@]})); then
        echo "Installing: ${fehlend[*]}"
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${fehlend[@]}" >/dev/null
    fi
    make -C "$REPO" --no-print-directory deps
}

# Outputs are removed at the end of a run. Before the next run the scripts
# wait until a minute has passed since the last removal: ext4 without a
# journal skips inodes freed in the last minute when it hands out new ones,
# and the runs would pay for that search through thousands of freed inodes.
mkdir -p "$ARBEIT"
aufraeumen() {
    rm -rf "$@"
    sync
    date +%s >"$ARBEIT/geloescht"
}
abklingen() {
    local warten
    [ -f "$ARBEIT/geloescht" ] || return 0
    warten=$((65 - ($(date +%s) - $(cat "$ARBEIT/geloescht"))))
    if ((warten > 0)); then
        echo "Waiting $warten s after the last removal of outputs"
        sleep "$warten"
    fi
}

bauen() { # targets
    cmake -S "$REPO" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$BUILD" -j "$(nproc)" --target "$@" >/dev/null
    BENCH=$BUILD/bench/sichtwerk-bench
    SCHNITT=$BUILD/sichtwerk-schnitt
}

# 20,000 pictures of 200 × 150 (100 scenes of the corpus, shrunk, under 200
# names each: hard links, made once) in $KLEIN, and in $CONFIG four views
# that tile each picture. Needs bauen and imagemagick.
klein_korpus() {
    KLEIN=$ARBEIT/klein20000
    if [ ! -f "$ARBEIT/klein.fertig" ]; then
        echo "Generating 20,000 pictures of 200 × 150 (once)"
        rm -rf "$KLEIN" "$ARBEIT/klein100"
        "$BENCH" korpus "$ARBEIT/klein100" "$ARBEIT/klein-muster.ini" 2>/dev/null
        for f in "$ARBEIT/klein100"/*; do
            "$CONVERT" "$f" -resize '200x150!' "$f"
        done
        mkdir -p "$KLEIN"
        for k in $(seq -w 0 199); do
            for f in "$ARBEIT/klein100"/*; do ln "$f" "$KLEIN/k${k}_$(basename "$f")"; done
        done
        touch "$ARBEIT/klein.fertig"
    fi
    CONFIG=$ARBEIT/klein.ini
    printf '[Vorwärts]\r\nTop=0\r\nLeft=50\r\nWidth=100\r\nHeight=120\r\n[Links]\r\nTop=0\r\nLeft=0\r\nWidth=50\r\nHeight=120\r\n[Rechts]\r\nTop=0\r\nLeft=150\r\nWidth=50\r\nHeight=120\r\n[Zurück]\r\nTop=120\r\nLeft=0\r\nWidth=200\r\nHeight=30\r\n' |
        iconv -f UTF-8 -t WINDOWS-1252 >"$CONFIG"
}

# Lets the writeback of the previous run finish, so that no run pays for
# another's disk traffic.
ruhe() {
    sync
    sleep 2
}

jetzt() { echo "$EPOCHREALTIME"; }
dauer() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", b - a }'; }
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
mb() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
rate() { awk -v n="$1" -v s="$2" 'BEGIN { printf "%.1f", n / s }'; }
verh() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
ja() { awk -v w="$1" -v z="$2" -v r="$3" 'BEGIN { ok = (r == "<=") ? (w <= z) : (w >= z); print ok ? "met" : "MISSED" }'; }
wert() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }

# How idle the CPUs are over 10 s: other work on the machine shifts every figure.
leerlauf() {
    local _ u n sy i w x y z t1 i1
    read -r _ u n sy i w x y z _ </proc/stat
    t1=$((u + n + sy + i + w + x + y + z))
    i1=$((i + w))
    sleep 10
    read -r _ u n sy i w x y z _ </proc/stat
    echo $(((i + w - i1) * 100 / (u + n + sy + i + w + x + y + z - t1)))
}
leerlauf_melden() {
    LEERLAUF=$(leerlauf)
    echo "Load before the runs: $(cut -d' ' -f1-3 /proc/loadavg), CPUs $LEERLAUF % idle over 10 s"
    ((LEERLAUF >= 90)) || echo "WARNING: the machine is busy; the figures will not be representative"
}

# One timed command: "seconds cpu-seconds KiB" on standard output; its own
# output goes to $1.log, and a failure ends the script.
zeitnahme() { # log prefix, command …
    local log=$1 a b kib u s
    shift
    a=$(jetzt)
    /usr/bin/time -f '%M %U %S' -o "$log.zeit" "$@" >"$log.log" 2>&1 ||
        { cat "$log.log" >&2; exit 1; }
    b=$(jetzt)
    read -r kib u s <"$log.zeit"
    echo "$(dauer "$a" "$b") $(awk -v u="$u" -v s="$s" 'BEGIN { print u + s }') $kib"
}

maschine() {
    local cpu
    cpu=$(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -1)
    echo "Machine: $(nproc) cores (nproc), CPU \"$cpu\", $(free -g | awk '/^Mem:/ { print $2 }') GiB RAM, kernel $(uname -r)"
}

# The corpus of 100 pictures in $K100 (and the same under ten names each,
# 1,000, in $K1000), with the sample frame configuration in $CONFIG. Made
# once by sichtwerk-bench korpus; needs bauen.
korpus() {
    K100=$ARBEIT/bilder100
    K1000=$ARBEIT/bilder1000
    CONFIG=$ARBEIT/config.ini
    if [ ! -f "$ARBEIT/korpus.fertig" ]; then
        echo "Generating the corpus (100 pictures, then 1,000 as ten named copies)"
        rm -rf "$K100" "$K1000"
        "$BENCH" korpus "$K100" "$CONFIG" 2>/dev/null
        mkdir -p "$K1000"
        local k f
        for k in 0 1 2 3 4 5 6 7 8 9; do
            for f in "$K100"/*; do
                ln "$f" "$K1000/k${k}_$(basename "$f")"
            done
        done
        touch "$ARBEIT/korpus.fertig"
    fi
}

# One command line per picture for ImageMagick: the four sample rectangles
# (Left/Top/Width/Height of config.ini) in one process per picture, as BMP
# (24 bits) or in the type of the given extension, with its options.
im_zeilen() { # folder, output folder, [extension], [options…]
    local f stamm e=${3:-bmp} optionen=${*:4}
    [ "$e" = bmp ] && optionen="-type TrueColor $optionen"
    for f in "$1"/*; do
        stamm=$(basename "${f%.*}")
        echo "$f $optionen" \
            "( +clone -crop 150x705+0+0 +repage -write $2/${stamm}_L.$e +delete )" \
            "( +clone -crop 150x705+990+0 +repage -write $2/${stamm}_R.$e +delete )" \
            "( +clone -crop 840x705+150+0 +repage -write $2/${stamm}_V.$e +delete )" \
            "-crop 1140x150+0+705 +repage $2/${stamm}_Z.$e"
    done
}
