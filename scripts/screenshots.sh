#!/usr/bin/env bash
# Takes the README's screenshots from the built program, so that they show what it does today:
#   scripts/screenshots.sh [build folder] [output folder]      (make screenshots)
# The program runs on a virtual display from a copy in a scratch folder, which is also its data
# folder, with demo data made here: recurrences in the current month, a landscape drawn with
# ImageMagick as every month's picture, a banner. The web window shows a stand-in page served
# on 127.0.0.1: the browser engine is told to resolve the maker's host there.
# Writes finestra-principale.png, ricorrenze.png, finestra-web.png, pagina-di-creazione.png,
# pagina-stampabile.png and anno-intero.png into the output folder (docs/ by default).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/test-services.sh
velaria_session_bus scripts/screenshots.sh "$@"
build=${1:-build}
out=${2:-docs}
program=$build/bin/velaria
plugin=$build/bin/velaria_webwindow_plugin.so
if [ ! -x "$program" ]; then
    echo "$program is missing: build it first (make build)" >&2
    exit 1
fi
maker_host=$(sed -n 's/^VELARIA_MAKER_HOST:STRING=//p' "$build/CMakeCache.txt")
mkdir -p "$out"

export LC_ALL=C.UTF-8 TZ=Europe/Rome QT_QPA_PLATFORM=xcb
work=$(mktemp -d)
pids=()
finish() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
    velaria_on_exit
}
trap finish EXIT
velaria_exit_on_signals
start_xvfb

# --- Demo data beside a copy of the program --------------------------------------------------

app=$work/velaria
mkdir -p "$app"
# The user's folders: the pictures, and the desktop where the page is saved.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME/Desktop" "$HOME/Immagini"
picture=$HOME/Immagini/paesaggio.jpg
cp "$program" "$app/"
# The marker that makes the copy portable: its data beside it.
cp "$build/bin/portable" "$app/"
if [ -f "$plugin" ]; then
    cp "$plugin" "$app/"
fi
convert -size 1200x800 gradient:'#6fa8dc'-'#fce5cd' \
    -fill '#ffd966' -draw 'circle 880,250 880,330' \
    -fill '#93c47d' \
    -draw 'polygon 0,560 200,470 420,520 640,430 860,500 1040,450 1200,520 1200,800 0,800' \
    -fill '#6aa84f' -draw 'polygon 0,640 260,580 520,650 780,590 1000,660 1200,610 1200,800 0,800' \
    -fill '#38761d' -draw 'polygon 0,720 300,690 600,740 900,700 1200,730 1200,800 0,800' \
    -blur 0x1.5 -quality 90 "$picture"
month=$(date +%m)
printf '%s\n' "$month/03 - Compleanno di Giulia <b>" "$month/12 - Sagra del paese <v>" \
    "$month/21 - Anniversario di matrimonio <a>" "$month/27 - Festa del patrono" \
    >"$app/Ricorrenze.txt"
for _ in $(seq 1 12); do
    echo "$picture"
done >"$app/Immagini.txt"
echo "Pro Loco di Velaria - tutte le feste del paese" >"$app/pubblicita.txt"

# --- The stand-in for the maker's horoscope page ---------------------------------------------

mkdir -p "$work/site/oroscopo"
cat >"$work/site/oroscopo/index.html" <<'EOF'
<!DOCTYPE html>
<html lang="it"><head><meta charset="utf-8"><title>Oroscopo</title>
<style>
body { font-family: "Liberation Sans", sans-serif; margin: 0; background: #fdf6e3; color: #333; }
h1 { margin: 0; padding: 10px 16px; background: #c00000; color: white; font-size: 20px; }
p { margin: 12px 16px; font-size: 14px; line-height: 1.4; }
.nota { color: #777; font-size: 12px; }
</style></head>
<body><h1>Oroscopo del giorno</h1>
<p>Qui la finestra di navigazione mostra la pagina dell'oroscopo del sito dell'autore,
aperta con un clic sulla casella &laquo;oggi &egrave;&raquo; del calendario.</p>
<p class="nota">Pagina di prova servita in locale per questa schermata.</p>
</body></html>
EOF
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0))
print(s.getsockname()[1])')
python3 -m http.server --bind 127.0.0.1 --directory "$work/site" "$port" >"$work/site.log" 2>&1 &
pids+=($!)

# The browser engine refuses to run as root with its sandbox on; only here is it turned off.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
# Its switches follow --webEngineArgs on the command line, which it reads only while
# QTWEBENGINE_CHROMIUM_FLAGS is unset.
unset QTWEBENGINE_CHROMIUM_FLAGS
engine_args=(--webEngineArgs --disable-gpu --disable-background-networking
    --disable-component-update --disable-sync
    "--host-resolver-rules=MAP $maker_host 127.0.0.1:$port")

# --- Helpers ---------------------------------------------------------------------------------

# The id of the visible window of process $1 whose title matches $2, waiting up to 30 s.
wait_window() {
    local id
    for _ in $(seq 1 300); do
        id=$(xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n 1)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    echo "no window '$2' appeared" >&2
    return 1
}

# The absolute position of window $1 on the screen, as "x y".
position() {
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
        END { print x, y }'
}

shot() {
    import -window "$1" -strip -define png:exclude-chunks=date,time "$out/$2"
    echo "$out/$2"
}

# Closes every window of process $1 as a user would and waits for it to end.
quit_program() {
    local id
    for id in $(xdotool search --all --onlyvisible --pid "$1" --name . 2>/dev/null); do
        wmctrl -i -c "$id" 2>/dev/null || true
    done
    for _ in $(seq 1 100); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.1
    done
    kill "$1" 2>/dev/null || true
}

# --- Where the "oggi è" frame is -------------------------------------------------------------

# Its widgets are drawn inside the window, invisible to X; a run with a native X window for
# every widget finds the frame by its size (645 x 730 twips) and its place in the main window.
# The web engine does not draw in that mode, so the screenshots come from a second, normal run.
frame_width=$(((645 + 7) / 15))
frame_height=$(((730 + 7) / 15))
QT_USE_NATIVE_WINDOWS=1 "$app/velaria" >"$work/locate.log" 2>&1 &
pid=$!
pids+=("$pid")
main=$(wait_window "$pid" '^Velaria ver')
frame=$(xwininfo -tree -id "$main" |
    awk -v size=" ${frame_width}x${frame_height}+" 'index($0, size) { print $1; exit }')
today=
if [ -n "$frame" ]; then
    read -r main_x main_y <<<"$(position "$main")"
    read -r frame_x frame_y <<<"$(position "$frame")"
    today="$((frame_x - main_x + frame_width / 2)) $((frame_y - main_y + frame_height / 2))"
fi
quit_program "$pid"

# --- The screenshots -------------------------------------------------------------------------

"$app/velaria" "${engine_args[@]}" >"$work/program.log" 2>&1 &
pid=$!
pids+=("$pid")
main=$(wait_window "$pid" '^Velaria ver')
sleep 1
shot "$main" finestra-principale.png

# The web window, opened by a click on today's frame.
if [ -z "$today" ]; then
    echo "the \"oggi è\" frame was not found: no screenshot of the web window" >&2
elif [ ! -f "$plugin" ]; then
    echo "the web window's plugin was not built: no screenshot of the web window" >&2
else
    read -r x y <<<"$today"
    xdotool windowactivate --sync "$main" mousemove --window "$main" "$x" "$y" click 1
    web=$(wait_window "$pid" '^Finestra di navigazione')
    # Wholly on the screen, or the engine's drawing is not captured.
    xdotool windowmove --sync "$web" 40 40
    for _ in $(seq 1 200); do
        grep -q 'GET /oroscopo/' "$work/site.log" && break
        sleep 0.1
    done
    sleep 2
    shot "$web" finestra-web.png
    wmctrl -i -c "$web"
    for _ in $(seq 1 50); do
        xwininfo -id "$web" 2>/dev/null | grep -q IsViewable || break
        sleep 0.1
    done
fi

# The page window, through the menu bar: Alt, then the third item.
xdotool windowactivate --sync "$main"
xdotool key alt
sleep 0.3
xdotool key Right Right Return
page=$(wait_window "$pid" '^Finestra creazione calendario')
sleep 1.5
shot "$page" pagina-di-creazione.png

# "Salva Pagina" saves the composed page as a bitmap on the desktop. The button lies at
# (8310 + 480, 7830 + 180) twips in the window, 1275 x 315 twips wide.
xdotool windowactivate --sync "$page" mousemove --window "$page" \
    $(((8310 + 480 + 1275 / 2) / 15)) $(((7830 + 180 + 315 / 2) / 15)) click 1
saved=
for _ in $(seq 1 100); do
    saved=$(find "$HOME/Desktop" -name '*.bmp' | head -n 1)
    [ -n "$saved" ] && break
    sleep 0.1
done
if [ -n "$saved" ]; then
    sleep 0.5
    convert "$saved" -resize 900x900 -strip -define png:exclude-chunks=date,time \
        "$out/pagina-stampabile.png"
    echo "$out/pagina-stampabile.png"
else
    echo "the page was not saved: no picture of the printable page" >&2
fi
# "Anno intero…", below "Stampa A4", opens the dialog that makes the whole year.
xdotool windowactivate --sync "$page" mousemove --window "$page" \
    $(((8310 + 480 + 1275 / 2) / 15)) $(((7830 + 1050 + 315 / 2) / 15)) click 1
year=$(wait_window "$pid" '^Anno intero$')
sleep 0.5
shot "$year" anno-intero.png
wmctrl -i -c "$year"
wmctrl -i -c "$page"

# The recurrence editor: menu Ricorrenze, Inserimento.
xdotool windowactivate --sync "$main"
xdotool key alt
sleep 0.3
xdotool key Right Return
sleep 0.3
xdotool key Return
sleep 1
shot "$main" ricorrenze.png

quit_program "$pid"
