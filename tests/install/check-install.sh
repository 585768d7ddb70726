#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what arrives there: exactly
# the expected files (nothing of the build folder comes along), and programs
# that find their language modules from the installed layout.
# Usage: check-install.sh BUILD_DIR EXPECTED_FILES
set -euo pipefail
build=$1
expected=$2
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d "${TMPDIR:-/tmp}/brelvantor-install-XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"

fail=0
(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) >"$work/actual.txt"
LC_ALL=C sort "$expected" >"$work/expected.txt"
if ! diff -u "$work/expected.txt" "$work/actual.txt"; then
  echo "FAIL: the install tree differs from $expected (- missing, + unexpected)"
  fail=1
fi
# Nothing installed may point back into the build or source tree.
if grep -rlF -e "$(cd "$build" && pwd)" "$prefix" 2>/dev/null | grep -v '/bin/'; then
  echo "FAIL: installed data files name the build folder"
  fail=1
fi

# The desktop files: the freedesktop validators where they are installed, and
# our own check that they fit the program and its file formats.
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix"/share/applications/*.desktop || fail=1
else
  echo "note: desktop-file-validate not installed, skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml || fail=1
else
  echo "note: appstreamcli not installed, skipped"
fi
if command -v update-mime-database >/dev/null; then
  cp -r "$prefix/share/mime" "$work/mime"
  update-mime-database "$work/mime" || fail=1
fi
python3 "$here/check-desktop.py" "$prefix" "$here/../fixtures" || fail=1

# Every installed program has its man page, made from its own --help at this
# version.
version=$(sed -n 's/^project(Brelvantor VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
for program in "$prefix"/bin/*; do
  name=$(basename "$program")
  upper=$(tr '[:lower:]' '[:upper:]' <<<"$name")
  page="$prefix/share/man/man1/$name.1.gz"
  if ! zcat "$page" 2>/dev/null | grep -qF ".TH $upper \"1\" " ||
     ! zcat "$page" | grep -qF "\"$name $version\""; then
    echo "FAIL: no man page of $name $version"
    fail=1
  fi
done

# The settings of a user who chose German, as the desktop program stores them.
mkdir -p "$work/home"
export HOME=$work/home XDG_DATA_HOME=$work/home/data BRELVANTOR_SETTINGS=$work/brelvantor.settings
module=$prefix/share/brelvantor/Brelvantor_DEU.lng
cat >"$BRELVANTOR_SETTINGS" <<SETTINGS
Brelvantor settings 1
[Software\\Tolvex\\Brelvantor\\Settings]
"LanguageFile"=sz:"$module"
SETTINGS
# Moved after installing: nothing may depend on the prefix given at install time.
mv "$prefix" "$work/moved"
prefix=$work/moved
module=$prefix/share/brelvantor/Brelvantor_DEU.lng
sed -i "s|$work/prefix|$prefix|" "$BRELVANTOR_SETTINGS"
version=$("$prefix/bin/brelvantor-cli" version)
echo "$version"
if ! grep -qF "Deutsch" <<<"$version" || ! grep -qF "($module)" <<<"$version"; then
  echo "FAIL: the installed brelvantor-cli did not load the installed German module"
  fail=1
fi
# Help opens the manual the chosen language names; it must be installed.
manual_name=$(sed -n 's/^59520\t//p' "$module")
for manual in BRELVANTOR_ENU.pdf "$manual_name"; do
  if [ ! -s "$prefix/share/brelvantor/$manual" ]; then
    echo "FAIL: the manual $manual is not installed in share/brelvantor"
    fail=1
  fi
done
exit $fail
