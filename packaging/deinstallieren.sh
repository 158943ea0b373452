#!/usr/bin/env bash
# `make uninstall`: takes away what the install (packaging/installieren.cmake)
# put there, as its list .installiert in the program folder names it, and says
# what stays: the user's configuration files, views and anything else.
# Usage: packaging/deinstallieren.sh [PREFIX]  (the prefix of the install,
# default ~/.local; the program folder is found as the install finds it).
set -euo pipefail
praefix=${1:-$HOME/.local}
[ "$praefix" = / ] || praefix=${praefix%/}
daten=$praefix/share
if [ "$praefix" = "$HOME/.local" ] && [[ ${XDG_DATA_HOME:-} == /* ]]; then
    daten=${XDG_DATA_HOME%/}
fi
ordner=$daten/Sichtwerk
liste=$ordner/.installiert
if [ ! -f "$liste" ]; then
    echo "Sichtwerk ist nicht unter $praefix installiert: $liste fehlt." >&2
    exit 1
fi

entfernt() { echo "Entfernt: $1"; }
geblieben=()
ordnerliste=()
while IFS=$'\t' read -r art a b; do
    case $art in
    datei)
        if [ -e "$a" ] || [ -L "$a" ]; then rm -f -- "$a" && entfernt "$a"; fi ;;
    verweis) # a: where the link points, b: the link
        if [ -L "$b" ] && [ "$(readlink -- "$b")" = "$a" ]; then
            rm -f -- "$b" && entfernt "$b"
        elif [ -e "$b" ]; then
            geblieben+=("$b (kein Verweis der Installation mehr)")
        fi ;;
    vorlage) # a: SHA-256 at install time, b: the file
        if [ -f "$b" ] && [ ! -L "$b" ]; then
            if [ "$(sha256sum <"$b" | cut -d' ' -f1)" = "$a" ]; then
                rm -f -- "$b" && entfernt "$b"
            else
                geblieben+=("$b (seit der Installation geändert)")
            fi
        fi ;;
    ordner)
        ordnerliste+=("$a") ;;
    esac
done < <(grep -v '^#' "$liste")
rm -f -- "$liste" && entfernt "$liste"

# The folders the install made, deepest first, as far as they are empty now.
if [ ${#ordnerliste[@]} -gt 0 ]; then
    while IFS= read -r o; do
        if [ -d "$o" ] && rmdir -- "$o" 2>/dev/null; then entfernt "$o/"; fi
    done < <(printf '%s\n' "${ordnerliste[@]}" | awk '{ print length($0) "\t" $0 }' |
        sort -rn | cut -f2-)
fi

for g in "${geblieben[@]}"; do
    echo "Geblieben: $g"
done
if [ -d "$ordner" ]; then
    echo "Im Programmordner $ordner bleibt, was nicht von der Installation stammt oder"
    echo "seither geändert wurde (Rahmen-Konfigurationen, Ansichten, Dateien von Updates):"
    (cd "$ordner" && ls -A1p) | sed 's/^/  /'
    echo "Sichtwerk ist deinstalliert; den Ordner löschen Sie selbst, wenn Sie ihn nicht mehr brauchen."
else
    echo "Sichtwerk ist deinstalliert; der Programmordner $ordner enthielt nichts anderes und ist entfernt."
fi
