#!/usr/bin/env bash
# Builds the Debian package from a built folder (default build/) and checks that what it installs
# runs: unpacked into a scratch root, the installed nordelune-cli answers --version, finds the
# shipped thread catalogs through its own folder and converts a design with the shipped colour
# template; the desktop program starts offscreen from there. On CI (CI=true, as root) the package
# is also installed on the machine with dpkg, which checks its dependencies, run, and removed.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls -t "$build"/nordelune_*.deb | head -n 1)
echo "Package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch/root"
export XDG_DATA_HOME="$scratch/data" XDG_CONFIG_HOME="$scratch/config"
cli="$scratch/root/usr/bin/nordelune-cli"
for f in usr/bin/nordelune usr/bin/nordelune-cli usr/share/nordelune/ColorTable.dat \
         usr/share/nordelune/T.edr usr/share/nordelune/guide/index.html \
         usr/share/applications/nordelune.desktop usr/share/icons/hicolor/scalable/apps/nordelune.svg \
         usr/share/mime/packages/nordelune.xml; do
    [ -e "$scratch/root/$f" ] || { echo "missing from the package: /$f"; exit 1; }
done
"$cli" --version
# Only what the program ships: no folder a run of the program made beside it.
for d in Exported Imported "Embroidery Designs" recovery; do
    [ ! -e "$scratch/root/usr/share/nordelune/$d" ] || { echo "the package holds /usr/share/nordelune/$d"; exit 1; }
done
# The installed CLI reads the shipped catalogs (a first copy lands in the user's data folder).
catalogs=$("$cli" threads | wc -l)
[ "$catalogs" -ge 12 ] || { echo "the installed nordelune-cli lists $catalogs catalog lines"; exit 1; }
[ -d "$XDG_DATA_HOME/nordelune/Threads" ] || { echo "no user catalog folder was made"; exit 1; }
"$cli" convert tests/fixtures/Star.DST "$scratch/star.exp" >/dev/null
[ -s "$scratch/star.edr" ] || { echo "the colour file was not written beside the export"; exit 1; }
# The desktop program starts from the installed path and ends after its picture.
QT_QPA_PLATFORM=offscreen NL_GRAB="$scratch/window.png" NL_GRAB_DELAY=300 \
    timeout 60 "$scratch/root/usr/bin/nordelune"
[ -s "$scratch/window.png" ] || { echo "the installed program did not start"; exit 1; }
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$scratch/root/usr/share/applications/nordelune.desktop"
fi

if [ "${CI:-}" = "true" ] && [ "$(id -u)" -eq 0 ]; then
    dpkg -i "$deb" >/dev/null
    /usr/bin/nordelune-cli --version
    dpkg -r nordelune >/dev/null
fi
echo "The package installs and runs."
