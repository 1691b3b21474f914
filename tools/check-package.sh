#!/usr/bin/env bash
# What a packager checks of the Debian package made from a built tree (default: build):
# lintian finds no fault in it, apt can install it on a fresh Debian, it depends on the
# package of every library the programs link, and unpacked into a scratch root its desktop
# entry, metainfo, manual pages and station unit pass Debian's own tools and both programs
# run from there.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
samples=$PWD/samples
id=example.qg9mce.Zeltodecoder
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

fail() {
    echo "check-package: $*" >&2
    exit 1
}

# The package, made by CPack into the scratch folder.
(cd "$build" && cpack -G DEB -B "$scratch/out" >"$scratch/cpack.log" 2>&1) ||
    fail "cpack failed: $(cat "$scratch/cpack.log")"
debs=("$scratch"/out/zeltodecoder_*.deb)
[[ -f ${debs[0]} ]] || fail "cpack made no zeltodecoder_*.deb"
deb=${debs[0]}
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $(dpkg-deb -f "$deb" Package) == zeltodecoder ]] || fail "the package is not named zeltodecoder"
[[ $(dpkg-deb -f "$deb" Version) == "$version" ]] || fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
dpkg-deb -e "$deb" "$scratch/control"
grep -qx /etc/default/zeltodecoder-station "$scratch/control/conffiles" ||
    fail "/etc/default/zeltodecoder-station is not a conffile"

# Debian's checks of a package: no error or warning (what the package overrides says why,
# in /usr/share/lintian/overrides/zeltodecoder), and none of the hardening flags missing,
# which lintian counts as information only.
lintian --display-info --fail-on error,warning "$deb" >"$scratch/lintian.log" 2>&1 ||
    fail "lintian: $(grep -v '^running with root' "$scratch/lintian.log")"
if grep -q ' hardening-' "$scratch/lintian.log"; then
    fail "the programs lack hardening flags: $(grep ' hardening-' "$scratch/lintian.log")"
fi

# apt resolves its dependencies for a machine with nothing installed.
: >"$scratch/no-packages"
apt-get install --simulate -o Dir::State::status="$scratch/no-packages" "$deb" \
    >"$scratch/apt.log" 2>&1 || fail "apt cannot install the package: $(cat "$scratch/apt.log")"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
for path in usr/bin/Zeltodecoder usr/bin/Zeltodecoder-batch \
    usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/$id.png \
    usr/share/man/man1/Zeltodecoder.1.gz usr/share/man/man1/Zeltodecoder-batch.1.gz \
    usr/lib/systemd/system/zeltodecoder-station.service etc/default/zeltodecoder-station; do
    [[ -f $root/$path ]] || fail "the package lacks /$path"
done

# Every library a program links directly comes from a package named in Depends.
for program in "$root"/usr/bin/*; do
    for library in $(objdump -p "$program" | awk '$1 == "NEEDED" { print $2 }'); do
        path=$(ldd "$program" | awk -v library="$library" '$1 == library { print $3 }')
        [[ -n $path ]] || fail "$program: $library is not found"
        # With the merged /usr a library may be registered under either folder.
        owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "/usr${path#/usr}" 2>/dev/null ||
            dpkg -S "${path#/usr}" 2>/dev/null) || fail "no package holds $path"
        package=${owner%%:*}
        [[ ", $depends," == *", $package "* || ", $depends," == *", $package,"* ]] ||
            fail "$library comes from $package, which Depends lacks: $depends"
    done
done

output=$(desktop-file-validate "$root/usr/share/applications/$id.desktop" 2>&1) &&
    [[ -z $output ]] || fail "desktop-file-validate: $output"
# The ID's top-level domain is the reserved "example", unknown to the validator by design;
# everything else it says fails the check.
output=$(appstreamcli validate --no-net --strict --override=cid-maybe-not-rdns=pedantic \
    "$root/usr/share/metainfo/$id.metainfo.xml" 2>&1) || fail "appstreamcli validate: $output"

for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) &&
        [[ -z $warnings ]] || fail "man -l ${page#"$root"}: $warnings"
    lexgrog "$page" >/dev/null || fail "${page#"$root"}: its NAME section does not parse"
done

# systemd-analyze checks the unit against the scratch root, where its ExecStart and the
# manual page it names must exist; the units it depends on are the host's.
cp -rn /usr/lib/systemd/system/. "$root/usr/lib/systemd/system/"
output=$(MANPATH=$root/usr/share/man systemd-analyze verify --root="$root" \
    zeltodecoder-station.service 2>&1) && [[ -z $output ]] ||
    fail "systemd-analyze verify: $output"

# Both programs run from the scratch root, each in a working folder of its own.
batch=$root/usr/bin/Zeltodecoder-batch
[[ $("$batch" --version) == "Zeltodecoder-batch $version" ]] || fail "$batch --version is wrong"
mkdir "$scratch/batch"
(cd "$scratch/batch" && "$batch" "$samples/pass1.kss") >"$scratch/batch.log" ||
    fail "$batch failed on samples/pass1.kss"
grep -q '^Image: thumb ' "$scratch/batch.log" || fail "$batch joined no thumbnail of pass1.kss"

# The window, shown offscreen, prepares its working folder; then it is ended.
mkdir "$scratch/window"
(cd "$scratch/window" && XDG_CONFIG_HOME=$scratch/config QT_QPA_PLATFORM=offscreen \
    exec "$root/usr/bin/Zeltodecoder") 2>"$scratch/window.log" &
window=$!
for _ in $(seq 100); do
    [[ -f $scratch/window/ThumbList.txt && -d $scratch/window/Puzzles ]] && break
    kill -0 "$window" 2>/dev/null || fail "the window ended at start: $(cat "$scratch/window.log")"
    sleep 0.1
done
kill -0 "$window" 2>/dev/null && [[ -f $scratch/window/ThumbList.txt ]] || {
    kill "$window" 2>/dev/null || true
    fail "the window did not prepare its working folder: $(cat "$scratch/window.log")"
}
kill "$window"
wait "$window" || true

echo "check-package: $(basename "$deb") passes"
