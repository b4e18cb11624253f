#!/usr/bin/env bash
# The Debian package of this build, made by CPack and unpacked by dpkg-deb, never installed:
#   tst_install.sh <cpack> <cmake> <build> <version> <web window ON|OFF> <velaria-pagine ON|OFF>
set -uo pipefail
cpack=$1 cmake=$2 build=$3 version=$4 with_webwindow=$5 with_pagine=$6
icon_sizes=(16x16 22x22 24x24 32x32 48x48 64x64 128x128 256x256)
work=$(mktemp -d) && chmod 0755 "$work"
root=$work/root

# True once process $1 has ended (it is gone or a zombie).
ended() { local s; s=$(cat "/proc/$1/stat" 2>/dev/null) || return 0; [[ ${s##*) } == Z* ]]; }
# until_ok <tenths of a second> <command...>: waits at most that long for the command to succeed.
until_ok() { for _ in $(seq "$1"); do "${@:2}" && return; sleep 0.1; done; "${@:2}"; }
# The unpacked program's session, a process group of its own, ends on every way out.
session_pid=
end_session() {
    kill -TERM -- "-$session_pid" 2>/dev/null && until_ok 50 ended "$session_pid"
    kill -KILL -- "-$session_pid" 2>/dev/null
    wait "$session_pid" 2>/dev/null
    session_pid=
}
trap '[ -z "$session_pid" ] || end_session; rm -rf "$work"' EXIT
trap 'exit 129' HUP && trap 'exit 130' INT && trap 'exit 143' TERM

failures=0
fail() { echo "FAIL: $*" >&2 && failures=$((failures + 1)); }
# check <what> <command...>: the command must succeed.
check() { if "${@:2}"; then echo "ok: $1"; else fail "$1" && return 1; fi; }

# The package's name, and exactly these files in it: the build's `portable` marker stays out.
"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log" >&2 && fail "cpack could not make the package" && exit 1; }
deb=velaria_${version}_$(dpkg --print-architecture).deb
made=$(cd "$work/out" && echo *.deb)
check "cpack makes the one package $deb (made: $made)" [ "$made" = "$deb" ]
deb=$work/out/$deb
dpkg-deb -x "$deb" "$root" || { fail "dpkg-deb cannot unpack the package" && exit 1; }
programs=(velaria)
[ "$with_webwindow" = ON ] && programs+=(velaria_webwindow_plugin.so)
[ "$with_pagine" = ON ] && programs+=(velaria-pagine)
{
    printf 'usr/bin/%s\n' "${programs[@]}" && echo usr/share/applications/velaria.desktop
    printf 'usr/share/icons/hicolor/%s/apps/velaria.png\n' "${icon_sizes[@]}"
} | sort >"$work/expected"
listing() { (cd "$1" 2>/dev/null && find . -type f -o -type l | sed 's|^\./||' | sort); }
check "the package holds exactly the expected files" diff "$work/expected" <(listing "$root")
DESTDIR=$work/staged "$cmake" --install "$build" --prefix /opt/velaria >/dev/null
check "cmake --install --prefix /opt/velaria places the same files" \
    diff <(sed 's|^usr/||' "$work/expected") <(listing "$work/staged/opt/velaria")

# Every library that a program NEEDS is of a package that Depends names: the libraries as "program
# library real-path" where ldd finds them; their owners as "real-path package", from one dpkg -S
# (each reads the whole database) by file name, as dpkg may know a file by another name.
check "the programs keep no library search path" \
    test -z "$(readelf -d "${programs[@]/#/$root/usr/bin/}" | grep PATH)"
for program in "${programs[@]}"; do
    awk -v p="$program" 'NR == FNR { need[$1]; next } { k = $1; sub(/.*\//, "", k) }
        k in need { print p, k, ($2 == "=>" ? $3 : $1); delete need[k] }
        END { for (k in need) print p, k, "/not-found" }' \
        <(readelf -d "$root/usr/bin/$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p') \
        <(ldd "$root/usr/bin/$program")
done | while read -r program lib path; do echo "$program $lib $(readlink -f "$path")"; done \
    >"$work/libs"
sed 's|.*/|*/|' "$work/libs" | sort -u | xargs dpkg -S 2>/dev/null |
    sed -n 's/^\([^:, ]*\)[^ ]* \(\/.*\)$/\1 \2/p' |
    while read -r package path; do echo "$(readlink -f "$path") $package"; done >"$work/owners"
depends=$(dpkg-deb -f "$deb" Depends)
tr ',|' '\n' <<<"$depends" | sed 's/(.*//; s/ //g' | sort -u >"$work/depends"
unlisted=$(awk 'FILENAME == ARGV[1] { dep[$1] } FILENAME == ARGV[2] && $2 in dep { ok[$1] }
    FILENAME == ARGV[3] && !($3 in ok) { printf " %s:%s", $1, $2 }' \
    "$work/depends" "$work/owners" "$work/libs")
check "Depends names each linked library's package${unlisted:+, not}$unlisted" [ -z "$unlisted" ]
check "fonts-liberation{,2} in Depends" [ "$(grep -cxE 'fonts-liberation2?' "$work/depends")" = 2 ]
check "Depends is met on this Debian system" dpkg-checkbuilddeps -d "$depends" /dev/null

# The desktop entry. Hints count too: an entry without a main category shows only under "Other".
desktop=$root/usr/share/applications/velaria.desktop
key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
hints=$(desktop-file-validate "$desktop" 2>&1)
check "desktop-file-validate accepts the entry without a word${hints:+: $hints}" [ -z "$hints" ]
check "Exec=velaria, Icon=velaria" [ "$(key Exec) $(key Icon)" = "velaria velaria" ]
cats=";$(key Categories);"
check "the entry is in Office and Calendar: $(key Categories)" \
    test "${cats/;Office;/}" != "$cats" -a "${cats/;Calendar;/}" != "$cats"
# Each icon a PNG of its size with transparency, and a drawing: neither empty nor a full square.
for size in "${icon_sizes[@]}"; do
    got=$(convert "$root/usr/share/icons/hicolor/$size/apps/velaria.png" \
        -format '%m %wx%h %[channels] ' -write info: -alpha extract -format '%[fx:mean]' info:)
    check "icon $size: $got (format, size, channels, cover)" awk -v got="$got" -v want="PNG $size" \
        'BEGIN { $0 = got; exit !($1 " " $2 == want && $3 ~ /a$/ && $4 > 0.4 && $4 < 0.95) }'
done

# Sets `as` to the start of a command line of user $1 (when this test runs as root) with a fresh
# home and a D-Bus session of its own: with none, the D-Bus library starts a bus that outlives it.
user_command() {
    local home=$work/home-$1
    mkdir -p "$home/runtime" && chmod 0700 "$home/runtime"
    as=(env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
        XDG_RUNTIME_DIR="$home/runtime" dbus-run-session --)
    [ "$(id -u)" -ne 0 ] || { chown -R "$1" "$home" && as=(runuser -u "$1" -- "${as[@]}"); }
}
users=(nobody root)
[ "$(id -u)" -eq 0 ] || users=("$(id -un)")

if [ "$with_pagine" = ON ]; then
    user_command "${users[0]}"
    answer=$("${as[@]}" timeout 30 "$root/usr/bin/velaria-pagine" --version 2>&1; echo " ($?)")
    check "velaria-pagine --version: $answer" test "${answer/"$version"*" (0)"/}" != "$answer"
fi

# The unpacked program as user $1 in a session of its own, under strace, which records where it
# looks for its data and how it ends. Its window appears; closed through the window manager, the
# program (its own process, not strace) ends with status 0, outlived by nothing it started. Its
# data: in the user's data folder, never beside it even as root, unless marked `portable` there.
run_program() {
    local user=$1 home=$work/home-$1 window='' pid owner status='' left
    local trace=$work/home-$1/files.trace data='\(Ricorrenze\|Immagini\|pubblicita\)\.txt'
    user_command "$user"
    setsid "${as[@]}" strace -f -e trace=openat,statx,stat,newfstatat,access -o "$trace" \
        "$root/usr/bin/velaria" >"$work/$user.log" 2>&1 &
    session_pid=$!
    shown() {
        window=$(xdotool search --all --onlyvisible --name '^Velaria ver' 2>/dev/null | head -n 1)
        [ -n "$window" ] || ended "$session_pid"
    }
    until_ok 600 shown
    pid=$(xdotool getwindowpid "$window" 2>/dev/null)
    owner=$(ps -o pgid=,args= -p "${pid:-0}" 2>/dev/null | xargs)
    check "as $user, the unpacked program shows its window" \
        [ "$owner" = "$session_pid $root/usr/bin/velaria" ] ||
        { cat "$work/$user.log" >&2 && end_session && return; }
    check "as $user, the window's class is the entry's StartupWMClass" \
        grep -q "\"$(key StartupWMClass)\"" <(xprop -id "$window" WM_CLASS)
    wmctrl -i -c "$window"
    # strace records its end, after its padded pid, once all its threads end: maybe after a zombie.
    recorded() { status=$(sed -n "s/^$pid  *+++ \(.*\) +++$/\1/p" "$trace") && [ -n "$status" ]; }
    until_ok 300 recorded || { ended "$pid" && status=unrecorded || status="still running"; }
    check "as $user, closing the window ends it: $status" [ "$status" = "exited with 0" ]
    alone() { ! pgrep -g "$session_pid" >/dev/null; }
    until_ok 100 ended "$session_pid" && { wait "$session_pid"; until_ok 50 alone; }
    left=$(pgrep -a -g "$session_pid" | paste -sd ';')
    check "as $user, nothing that the program started outlives it${left:+: $left}" [ -z "$left" ]
    end_session
    check "as $user, it looks for its data in ~/.local/share/Velaria/Velaria, never beside itself" \
        test "$(grep -c "\"$root/usr/bin/$data\"" "$trace")" = 0 -a \
        "$(grep -c "\"$home/.local/share/Velaria/Velaria/$data\"" "$trace")" -gt 0
}
[ -n "${DISPLAY:-}" ] || { fail "no X display to start the program on" && exit 1; }
for user in "${users[@]}"; do run_program "$user"; done

echo "$failures failed"
[ $failures -eq 0 ]
