#!/usr/bin/env bash
# The Debian package of this build, as a user would install it, without installing it:
#   tst_install.sh <cpack> <cmake> <build folder> <version> <web window ON|OFF>
#                  <velaria-pagine ON|OFF>
# CPack makes the package from the built files into a scratch folder; the package is unpacked
# into a scratch root with dpkg-deb. Checked: its control fields, exactly the expected files,
# the desktop entry, the icon at every size, that every library a program links belongs to a
# package named in Depends and that every dependency is satisfiable on this Debian system, and
# that `cmake --install` places the same files under another prefix. Then the unpacked program
# is started by an ordinary user on the X display, its window found and closed as a user closes
# it: it must exit with status 0, having looked for its data in the user's data folder.
set -uo pipefail
cpack=$1
cmake=$2
build=$3
version=$4
with_webwindow=$5
with_pagine=$6

# The sizes that desktop environments look for in the hicolor theme.
icon_sizes=(16 22 24 32 48 64 128 256)
# The web window's plugin, loaded by name from the program's own folder.
plugin=velaria_webwindow_plugin.so

work=$(mktemp -d)
# The user's session in which the unpacked program runs: a process group of its own.
session_pid=
cleanup() {
    if [ -n "$session_pid" ]; then
        kill -TERM -- "-$session_pid" 2>/dev/null
        for _ in $(seq 1 50); do
            running "$session_pid" || break
            sleep 0.1
        done
        kill -KILL -- "-$session_pid" 2>/dev/null
        wait "$session_pid" 2>/dev/null
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# True while process $1 runs (it exists and has not ended as a zombie).
running() {
    local stat
    stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
    stat=${stat##*) }
    [ "${stat:0:1}" != Z ]
}

failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
pass() {
    echo "PASS: $*"
}

# --- The package -----------------------------------------------------------------------------

if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    fail "cpack could not build the package"
    exit 1
fi
debs=("$work"/out/*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "cpack made ${#debs[@]} .deb files instead of one"
    exit 1
fi
deb=${debs[0]}
arch=$(dpkg --print-architecture)
if [ "$(basename "$deb")" = "velaria_${version}_${arch}.deb" ]; then
    pass "package file $(basename "$deb")"
else
    fail "package file is $(basename "$deb"), expected velaria_${version}_${arch}.deb"
fi

field() {
    dpkg-deb -f "$deb" "$1"
}
for expected in "Package=velaria" "Version=$version" "Architecture=$arch" "Section=utils" \
    "Priority=optional"; do
    name=${expected%%=*}
    if [ "$(field "$name")" = "${expected#*=}" ]; then
        pass "$name: ${expected#*=}"
    else
        fail "$name is '$(field "$name")', expected '${expected#*=}'"
    fi
done
for name in Maintainer Description Depends Installed-Size; do
    if [ -n "$(field "$name")" ]; then
        pass "$name is given"
    else
        fail "the control file has no $name"
    fi
done
# A long description after the summary line, as Debian's tools show it.
if [ "$(field Description | wc -l)" -ge 2 ]; then
    pass "Description has a summary and a long text"
else
    fail "Description has no long text"
fi

root=$work/root
if ! dpkg-deb -x "$deb" "$root"; then
    fail "dpkg-deb cannot unpack the package"
    exit 1
fi

# --- Exactly the expected files --------------------------------------------------------------

{
    echo usr/bin/velaria
    if [ "$with_webwindow" = ON ]; then echo "usr/bin/$plugin"; fi
    if [ "$with_pagine" = ON ]; then echo usr/bin/velaria-pagine; fi
    echo usr/share/applications/velaria.desktop
    for size in "${icon_sizes[@]}"; do
        echo "usr/share/icons/hicolor/${size}x${size}/apps/velaria.png"
    done
} | sort >"$work/expected.txt"
(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | sort) >"$work/files.txt"
if diff -u "$work/expected.txt" "$work/files.txt" >"$work/files.diff"; then
    pass "the package holds exactly the $(wc -l <"$work/expected.txt") expected files"
else
    fail "the package's files differ from the expected ones (- missing, + unexpected):"
    tail -n +4 "$work/files.diff" | grep '^[-+]' >&2
fi

# `make install` places the same files under any other prefix.
DESTDIR=$work/staged "$cmake" --install "$build" --prefix /opt/velaria >"$work/install.log" 2>&1 ||
    cat "$work/install.log" >&2
(cd "$work/staged/opt/velaria" 2>/dev/null && find . -type f -o -type l | sed 's|^\./|usr/|' |
    sort) >"$work/staged.txt"
if diff -u "$work/expected.txt" "$work/staged.txt" >"$work/staged.diff"; then
    pass "cmake --install places the same files under the prefix /opt/velaria"
else
    fail "cmake --install --prefix /opt/velaria differs (- missing, + unexpected):"
    tail -n +4 "$work/staged.diff" | grep '^[-+]' >&2
fi

# --- The programs and their libraries --------------------------------------------------------

# Depends as one name per line (alternatives included, versions dropped).
field Depends | tr ',|' '\n' | sed 's/([^)]*)//; s/^ *//; s/ *$//' | sed '/^$/d' |
    sort -u >"$work/depends.txt"

# The Debian packages that own the given library files, as "path package" lines; each file is
# looked up under its own name, its real name and its other name on a merged /usr, all in one
# call of dpkg -S (it reads the whole file database every time).
owners() {
    local path candidates=()
    for path in "$@"; do
        [ -n "$path" ] || continue
        candidates+=("$path" "$(readlink -f "$path")" "${path#/usr}" "/usr$path")
    done
    dpkg -S "${candidates[@]}" 2>/dev/null | sed -n 's/^\([^:, ]*\)[^ ]* \(\/.*\)$/\2 \1/p'
}

elves=(usr/bin/velaria)
if [ "$with_webwindow" = ON ]; then elves+=("usr/bin/$plugin"); fi
if [ "$with_pagine" = ON ]; then elves+=(usr/bin/velaria-pagine); fi
for elf in "${elves[@]}"; do
    file=$root/$elf
    [ -f "$file" ] || continue
    if [ "$elf" = "usr/bin/$plugin" ]; then
        kind="shared object"
    else
        kind="executable"
    fi
    if file -b "$file" | grep -q "ELF .*$kind"; then
        pass "$elf is an ELF $kind"
    else
        fail "$elf is not an ELF $kind: $(file -b "$file")"
    fi
    if [ "$elf" != "usr/bin/$plugin" ] && [ ! -x "$file" ]; then
        fail "$elf is not executable"
    fi
    # An installed program must not look for libraries in the build folder.
    runpath=$(readelf -d "$file" | sed -n 's/.*(\(RUNPATH\|RPATH\)).*\[\(.*\)\]/\2/p')
    if [ -n "$runpath" ]; then
        fail "$elf keeps the search path $runpath"
    fi
    ldd "$file" >"$work/ldd.txt" 2>&1
    if grep -q 'not found' "$work/ldd.txt"; then
        fail "$elf links libraries that are not found: $(grep 'not found' "$work/ldd.txt")"
    fi
    mapfile -t needed < <(readelf -d "$file" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    paths=()
    for lib in "${needed[@]}"; do
        # "libX.so => /path (address)", or "/path/ld-linux.so (address)" for the loader.
        paths+=("$(awk -v lib="$lib" '$1 == lib && $2 == "=>" { print $3; exit }
            $1 ~ "/" lib "$" { print $1; exit }' "$work/ldd.txt")")
    done
    owners "${paths[@]}" >"$work/owners.txt"
    missing=()
    for i in "${!needed[@]}"; do
        path=${paths[$i]}
        real=$(readlink -f "$path")
        package=
        [ -n "$path" ] && package=$(awk -v p="$path" -v r="$real" -v s="${path#/usr}" \
            -v u="/usr$path" '$1 == p || $1 == r || $1 == s || $1 == u { print $2; exit }' \
            "$work/owners.txt")
        if [ -z "$package" ]; then
            missing+=("${needed[$i]} (no package owns ${path:-it})")
        elif ! grep -qx "$package" "$work/depends.txt"; then
            missing+=("${needed[$i]} ($package)")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        pass "every library that $elf links comes from a package in Depends"
    else
        fail "$elf links libraries whose packages Depends does not name: ${missing[*]}"
    fi
done

for package in fonts-liberation fonts-liberation2 libqt6core6 libqt6gui6 libqt6widgets6 \
    libqt6printsupport6; do
    if grep -qx "$package" "$work/depends.txt"; then
        pass "Depends names $package"
    else
        fail "Depends does not name $package"
    fi
done
if [ "$with_webwindow" = ON ]; then
    if grep -qx libqt6webenginewidgets6 "$work/depends.txt"; then
        pass "Depends names the browser engine"
    else
        fail "Depends does not name libqt6webenginewidgets6, which the web window needs"
    fi
fi

# Every dependency, with its version, is met by what this Debian system has installed: the
# package installs here as it is.
satisfied() {
    local name op version installed
    read -r name op version <<<"${1//[()]/ }"
    installed=$(dpkg-query -W -f='${Status} ${Version}' "$name" 2>/dev/null |
        sed -n 's/^install ok installed //p')
    [ -n "$installed" ] || return 1
    [ -z "$op" ] || dpkg --compare-versions "$installed" "$op" "$version"
}
unmet=()
IFS=',' read -ra groups <<<"$(field Depends)"
for group in "${groups[@]}"; do
    met=0
    IFS='|' read -ra alternatives <<<"$group"
    for alternative in "${alternatives[@]}"; do
        if satisfied "$alternative"; then
            met=1
            break
        fi
    done
    [ $met -eq 1 ] || unmet+=("$group")
done
if [ ${#unmet[@]} -eq 0 ]; then
    pass "all ${#groups[@]} dependencies are met on this system"
else
    fail "dependencies not met on this system:${unmet[*]}"
fi

# --- Desktop entry and icons -----------------------------------------------------------------

desktop=$root/usr/share/applications/velaria.desktop
if [ -f "$desktop" ]; then
    # Hints count too: an entry without a main category is shown only under "Other".
    if desktop-file-validate "$desktop" >"$work/validate.txt" 2>&1 &&
        [ ! -s "$work/validate.txt" ]; then
        pass "desktop-file-validate accepts velaria.desktop"
    else
        fail "desktop-file-validate: $(cat "$work/validate.txt")"
    fi
    key() {
        sed -n "s/^$1=//p" "$desktop" | head -n 1
    }
    for expected in "Type=Application" "Name=Velaria" "Exec=velaria" "Icon=velaria" \
        "Terminal=false"; do
        name=${expected%%=*}
        if [ "$(key "$name")" = "${expected#*=}" ]; then
            pass "desktop entry $expected"
        else
            fail "desktop entry $name is '$(key "$name")', expected '${expected#*=}'"
        fi
    done
    for name in 'Name\[it\]' Comment 'Comment\[it\]'; do
        if [ -n "$(key "$name")" ]; then
            pass "desktop entry has ${name//\\/}"
        else
            fail "desktop entry has no ${name//\\/}"
        fi
    done
    categories=";$(key Categories)"
    if [[ $categories == *";Office;"* && $categories == *";Calendar;"* ]]; then
        pass "desktop entry in the Office and Calendar categories"
    else
        fail "desktop entry categories are '$(key Categories)'"
    fi
    command=$(key Exec | cut -d ' ' -f 1)
    if [ -x "$root/usr/bin/$command" ]; then
        pass "the entry starts usr/bin/$command, which the package holds"
    else
        fail "the entry starts '$command', which is not in the package's usr/bin"
    fi
    wm_class=$(key StartupWMClass)
fi

for size in "${icon_sizes[@]}"; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/velaria.png
    [ -f "$icon" ] || continue
    # Size, an alpha channel, and a drawing: neither empty nor a filled square.
    read -r format width height channels \
        <<<"$(identify -format '%m %w %h %[channels]' "$icon" 2>&1)"
    cover=$(convert "$icon" -alpha extract -format '%[fx:mean]' info: 2>&1)
    if [ "$format $width $height" != "PNG $size $size" ]; then
        fail "icon ${size}x${size} is a $format of ${width}x${height}"
    elif [[ $channels != *a* ]]; then
        fail "icon ${size}x${size} has no transparency ($channels)"
    elif ! awk -v c="$cover" 'BEGIN { exit !(c > 0.4 && c < 0.95) }'; then
        fail "icon ${size}x${size} covers a fraction $cover of its square"
    else
        pass "icon ${size}x${size}: PNG with transparency, covering $cover of its square"
    fi
done

# --- The unpacked programs -------------------------------------------------------------------

# The programs run as a desktop user does: as an ordinary user (nobody, when this test runs as
# root) with a fresh home of their own, for whom the unpacked files, like installed ones, belong
# to root and cannot be written.
home=$work/home
mkdir -p "$home/runtime"
chmod 0700 "$home/runtime"
user_data=$home/.local/share/Velaria/Velaria
if [ "$(id -u)" -eq 0 ]; then
    chmod 0755 "$work"
    chown -R nobody "$home"
    as_user=(runuser -u nobody --)
else
    as_user=()
fi
# The user's own D-Bus session: with none, the D-Bus library autolaunches a bus that outlives
# the program.
as_user+=(env HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config"
    XDG_RUNTIME_DIR="$home/runtime" dbus-run-session --)
run_as_user() {
    "${as_user[@]}" "$@"
}

if [ "$with_pagine" = ON ]; then
    if answer=$(run_as_user "$root/usr/bin/velaria-pagine" --version 2>&1) &&
        [[ $answer == *"$version"* ]]; then
        pass "the unpacked velaria-pagine runs: $answer"
    else
        fail "the unpacked velaria-pagine --version: $answer"
    fi
fi

# --- The unpacked calendar on the X display ------------------------------------------------

if [ -z "${DISPLAY:-}" ]; then
    fail "no X display to start the program on"
    exit 1
fi
# strace records where the program looks for its data files, and how it ends.
trace=$home/files.trace
setsid "${as_user[@]}" strace -f -e trace=openat,statx,stat,newfstatat,access -o "$trace" \
    "$root/usr/bin/velaria" >"$work/program.log" 2>&1 &
session_pid=$!
window=
for _ in $(seq 1 300); do
    window=$(xdotool search --all --onlyvisible --name '^Velaria ver' 2>/dev/null | head -n 1)
    [ -n "$window" ] && break
    running "$session_pid" || break
    sleep 0.1
done
if [ -z "$window" ]; then
    fail "the unpacked program showed no window: $(cat "$work/program.log")"
    exit 1
fi
window_pid=$(xdotool getwindowpid "$window")
if [ "$(readlink "/proc/$window_pid/exe")" = "$root/usr/bin/velaria" ]; then
    pass "the unpacked program shows its window '$(xdotool getwindowname "$window")'"
else
    fail "the window '$(xdotool getwindowname "$window")' belongs to another program"
fi

# The window belongs to the desktop entry (docks and task bars match them by class) and shows
# the icon.
class=$(xprop -id "$window" WM_CLASS | sed -n 's/.*= "\([^"]*\)", "\([^"]*\)"/\1 \2/p')
if [ -n "${wm_class:-}" ] && [[ " $class " == *" $wm_class "* ]]; then
    pass "window class ($class) matches the entry's StartupWMClass $wm_class"
else
    fail "window class is '$class', the entry's StartupWMClass '${wm_class:-}'"
fi
sizes=$(xprop -id "$window" _NET_WM_ICON | sed -n 's/.*Icon (\([0-9]*\) x [0-9]*).*/\1/p' | xargs)
if [ -n "$sizes" ]; then
    pass "the window carries its icon at $sizes pixels"
else
    fail "the window has no icon"
fi

wmctrl -i -c "$window"
# The program's own process (the window's) ends; strace, its parent, records how.
ended=
for _ in $(seq 1 200); do
    if ! running "$window_pid"; then
        ended=1
        break
    fi
    sleep 0.1
done
status=
for _ in $(seq 1 50); do
    [ -z "$ended" ] && break
    status=$(awk -v pid="$window_pid" '$1 == pid && $2 == "+++" {
        $1 = $2 = ""; sub(/^ +/, ""); sub(/ \+\+\+$/, ""); print }' "$trace")
    [ -n "$status" ] && break
    sleep 0.1
done
if [ -z "$ended" ]; then
    fail "the program did not quit when its window was closed"
elif [ "$status" != "exited with 0" ]; then
    fail "the program ${status:-ended unrecorded}: $(cat "$work/program.log")"
else
    pass "closing the window ends the program with status 0"
fi

# Nothing that the program started outlives it: strace ends with the last process it traces,
# then the session's bus stops.
if [ -n "$ended" ]; then
    for _ in $(seq 1 100); do
        running "$session_pid" || break
        sleep 0.1
    done
    if running "$session_pid"; then
        fail "processes that the program started outlive it: $(pgrep -a -g "$session_pid")"
    else
        wait "$session_pid"
        session_pid=
        pass "no process that the program started outlives it"
    fi
fi

# Where the data files were looked for: the user's data folder, never the program's folder,
# which the user cannot write.
if [ "$(id -u)" -eq 0 ]; then
    data_files='\(Ricorrenze\|pubblicita\)\.txt'
    if grep -q "\"$root/usr/bin/$data_files\"" "$home/files.trace"; then
        fail "the program looked for its data in its own folder, not in the user's data folder"
    elif grep -q "\"$user_data/$data_files\"" "$home/files.trace"; then
        pass "the installed program keeps its data in ~/.local/share/Velaria/Velaria"
    else
        fail "the program did not look for its data in ~/.local/share/Velaria/Velaria"
    fi
fi

echo "$failures failed"
[ $failures -eq 0 ]
