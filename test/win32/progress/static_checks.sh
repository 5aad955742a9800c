#!/usr/bin/env bash
# Static checks of a built QOR_SkpProgress.exe that need no Windows: the i686
# build cannot be run here, so its file format, imports and resources are read
# with the mingw binutils. Prints "ok - name" / "not ok - name" per check and a
# final "N passed, M failed"; exits non-zero when a check fails.
#
# Usage: static_checks.sh path/to/QOR_SkpProgress.exe [i686|x86_64]
set -u

exe=${1:?usage: static_checks.sh path/to/QOR_SkpProgress.exe [i686|x86_64]}
arch=${2:-i686}
objdump=$arch-w64-mingw32-objdump
windres=$arch-w64-mingw32-windres

passed=0
failed=0
check() {  # check <name> <command...>
  local name=$1; shift
  if "$@" >/dev/null 2>&1; then
    echo "ok - $name"; passed=$((passed + 1))
  else
    echo "not ok - $name"; failed=$((failed + 1))
  fi
}

headers=$("$objdump" -p "$exe" 2>/dev/null) || headers=
rc=$("$windres" -i "$exe" -O rc 2>/dev/null) || rc=
# The resource script without the icon data lines.
rc_text=$(grep -v '^  0x' <<<"$rc")

if [ "$arch" = i686 ]; then
  magic=010b; manifest_arch=x86
else
  magic=020b; manifest_arch=amd64
fi

check "$arch build is $( [ "$arch" = i686 ] && echo PE32 || echo PE32+ ) (Magic $magic)" \
  grep -Eq "^Magic[[:space:]]+$magic" <<<"$headers"

check "$arch build is a GUI program" \
  grep -Eq '^Subsystem[[:space:]]+0+2[[:space:]]' <<<"$headers"

dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr 'A-Z' 'a-z')
unexpected=$(grep -Eiv '^(kernel32|user32|gdi32|comctl32|advapi32|shell32|ole32|version|msvcrt|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$' <<<"$dlls")
check "imports only system DLLs (found: $(echo $dlls))" \
  test -n "$dlls" -a -z "$unexpected"
check "no compiler runtime DLL imported" \
  bash -c '! grep -Eiq "libgcc|libstdc|libwinpthread" <<<"$1"' _ "$dlls"

check "dialog 102 is an extended template of 320 x 51 units at (0, 0)" \
  grep -Fxq '102 DIALOGEX 0, 0, 320, 51' <<<"$rc_text"

dialog=$(sed -n '/^102 DIALOGEX/,/^END/p' <<<"$rc_text")
style=$(sed -n 's/^STYLE \(0x[0-9a-fA-F]*\)$/\1/p' <<<"$dialog")
exstyle=$(sed -n 's/^EXSTYLE \(0x[0-9a-fA-F]*\)$/\1/p' <<<"$dialog")
has_bits() { [ -n "$1" ] && [ $(( $1 & $2 )) -eq $(( $2 )) ]; }
lacks_bits() { [ -n "$1" ] && [ $(( $1 & $2 )) -eq 0 ]; }
# popup | visible | caption | DS_SETFONT | DS_MODALFRAME | DS_FIXEDSYS
check "dialog style is popup, visible, caption, modal frame, set-font, fixed-system" \
  has_bits "$style" 0x90c000c8
check "dialog style has no WS_SYSMENU (no close box)" lacks_bits "$style" 0x00080000
check "dialog style has no WS_THICKFRAME, WS_MINIMIZEBOX or WS_MAXIMIZEBOX" lacks_bits "$style" 0x00070000
check "dialog extended style is WS_EX_APPWINDOW" test "$exstyle" = 0x40000
check "dialog title is 'SketchUp rooms'" grep -Fxq 'CAPTION "SketchUp rooms"' <<<"$dialog"
check "dialog font is MS Shell Dlg, 8 point" grep -Eq '^FONT 8, "MS Shell Dlg"' <<<"$dialog"
check "progress bar 1001 is msctls_progress32, child, visible, bordered, at (7, 7) 306 x 14" \
  grep -Eiq '^  CONTROL "", 1001, "msctls_progress32", 0x50800000, 7, 7, 306, 14$' <<<"$dialog"
check "button 1000 is a 'Cancel' push button with tab stop at (263, 30) 50 x 14" \
  grep -Eq '^  PUSHBUTTON "Cancel", 1000, 263, 30, 50, 14, 0x50010000$' <<<"$dialog"
check "dialog has exactly two controls" \
  test "$(grep -Ec '^  (CONTROL|PUSHBUTTON|DEFPUSHBUTTON|LTEXT)' <<<"$dialog")" = 2

icons=$(sed -n '/^128 14/,/^END/p' <<<"$rc_text")
check "icon group 128 has six 32-bit images of 256/128/64/48/32/16 px" \
  test "$(grep -Eo '"\\[0-7]{3}\\[0-7]{3}\\000\\000", 1, 32,' <<<"$icons" | cut -c2-5 | sort | tr -d '\n')" \
       = '\000\020\040\060\100\200'

manifest=$(sed -n '/^1 24/,/^END/p' <<<"$rc_text")
check "manifest depends on Common-Controls 6.0.0.0 for $manifest_arch" \
  bash -c 'grep -Fq "Microsoft.Windows.Common-Controls" <<<"$1" && grep -Fq "version=\"\"6.0.0.0\"\"" <<<"$1" &&
           grep -Fq "processorArchitecture=\"\"$2\"\"" <<<"$1"' _ "$manifest" "$manifest_arch"
check "manifest asks for asInvoker without UI access and is DPI aware" \
  bash -c 'grep -Fq "level=\"\"asInvoker\"\" uiAccess=\"\"false\"\"" <<<"$1" && grep -Fq ">true</dpiAware>" <<<"$1"' _ "$manifest"

version=$(sed -n '/^1 VERSIONINFO/,/^END/p' <<<"$rc_text")
check "version resource is 1.0.0.1" \
  bash -c 'grep -Fxq " FILEVERSION 1, 0, 0, 1" <<<"$1" && grep -Fxq " PRODUCTVERSION 1, 0, 0, 1" <<<"$1"' _ "$version"
name=$(basename "$exe")
check "InternalName and OriginalFilename are $name in block 040904B0" \
  bash -c 'grep -Fq "BLOCK \"040904B0\"" <<<"$1" && grep -Fq "VALUE \"InternalName\", \"$2\"" <<<"$1" &&
           grep -Fq "VALUE \"OriginalFilename\", \"$2\"" <<<"$1" && grep -Fq "VALUE \"Translation\", 0x409, 1200" <<<"$1"' \
  _ "$version" "$name"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
