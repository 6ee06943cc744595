#!/usr/bin/env bash
# Builds the plug-in and the reference host in both lanes and runs the host on
# the built-in sample: the Linux build natively, the Windows build under Wine.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

md_ensure_packages "${MD_LINUX_PACKAGES[@]}" "${MD_WINDOWS_PACKAGES[@]}"
md_require_tool x86_64-w64-mingw32-g++-posix windows
md_require_tool wine windows

md_say "building the Linux lane"
md_build_lane linux
md_say "Linux: mdhost info"
"$MD_BUILD_ROOT/linux/bin/mdhost" info
md_say "Linux: mdhost manifest samples/manifest.xml"
"$MD_BUILD_ROOT/linux/bin/mdhost" manifest "$MD_ROOT/samples/manifest.xml"
md_say "Linux: mdhost devices (the built-in sample players, through the plug-in)"
"$MD_BUILD_ROOT/linux/bin/mdhost" devices --manifest "$MD_ROOT/samples/manifest.xml"

md_say "building the Windows lane (mingw-w64)"
md_build_lane windows -DCMAKE_TOOLCHAIN_FILE="$MD_ROOT/cmake/mingw-w64-x86_64.cmake"
md_prepare_wine
md_say "Windows (under Wine): mdhost info"
wine "$MD_BUILD_ROOT/windows/bin/mdhost.exe" info
md_say "Windows (under Wine): mdhost manifest samples/manifest.xml"
(cd "$MD_ROOT" && wine "$MD_BUILD_ROOT/windows/bin/mdhost.exe" manifest samples/manifest.xml)
md_say "Windows (under Wine): mdhost devices (the built-in sample players, through the plug-in)"
(cd "$MD_ROOT" && wine "$MD_BUILD_ROOT/windows/bin/mdhost.exe" devices --manifest samples/manifest.xml)
wineserver -k >/dev/null 2>&1 || true
