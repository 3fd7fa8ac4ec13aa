#!/usr/bin/env bash
# Fails when a shipped module imports a function Windows 7 SP1 may lack: every import must be
# on the reviewed list (each checked against its documented minimum supported client), and
# none of the Windows 8+ functions below may be imported at all; those are reached through
# SystemFunction (src/base/systemfunction.h) with a fallback.
#   win7-imports.sh LIST MODULE...
set -euo pipefail
list=$1; shift
objdump=${OBJDUMP:-x86_64-w64-mingw32-objdump}

# Windows 8 and later only (DPI awareness contexts, per-monitor DPI, ...).
never=(SetProcessDpiAwarenessContext SetThreadDpiAwarenessContext GetThreadDpiAwarenessContext
       GetWindowDpiAwarenessContext GetAwarenessFromDpiAwarenessContext AreDpiAwarenessContextsEqual
       IsValidDpiAwarenessContext GetDpiForWindow GetDpiForSystem GetDpiForMonitor GetSystemMetricsForDpi
       AdjustWindowRectExForDpi SystemParametersInfoForDpi EnableNonClientDpiScaling SetProcessDpiAwareness
       GetProcessDpiAwareness GetScaleFactorForMonitor LogicalToPhysicalPointForPerMonitorDPI
       PhysicalToLogicalPointForPerMonitorDPI GetDpiFromDpiAwarenessContext SetThreadDpiHostingBehavior
       GetSystemDpiForProcess OpenThemeDataForDpi)
# Libraries Windows 7 does not have.
never_dlls=(SHCORE.DLL UCRTBASE.DLL)
# Libraries a rare path needs, found on first use (src/base/systemfunction.h): imported, they
# would be loaded at every start with what they pull in (under Wine ~4 MB resident: a TLS
# library and its dependencies, the printing stack).
late_dlls=(BCRYPT.DLL CRYPT32.DLL WINTRUST.DLL COMDLG32.DLL WINHTTP.DLL)

fail=0
reviewed=$(grep -v '^\s*#' "$list" | awk 'NF == 2 { print toupper($1) " " $2 }' | sort -u)
for name in "${never[@]}"; do
  if grep -q " $name\$" <<<"$reviewed"; then
    echo "$list lists $name, which Windows 7 SP1 does not have" >&2
    fail=1
  fi
done

for module in "$@"; do
  [ -f "$module" ] || { echo "missing $module" >&2; exit 1; }
  # "DLL function" per import; an import by ordinal shows as "DLL #ordinal".
  imports=$("$objdump" -p "$module" | awk '
    /^[ \t]*DLL Name:/ { dll = toupper($3); next }
    /^[ \t]*$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t/ {
      if ($0 ~ /<none>/) print dll " #" $2; else print dll " " $NF
    }' | sort -u)
  count=$(grep -c . <<<"$imports" || true)
  if [ "$count" -eq 0 ]; then
    echo "no imports read from $module: objdump's format changed?" >&2
    exit 1
  fi
  while read -r dll fn; do
    [ -n "$dll" ] || continue
    if printf '%s\n' "${never_dlls[@]}" | grep -qx "$dll"; then
      echo "$(basename "$module") imports $dll!$fn: Windows 7 has no $dll; reach it through SystemFunction with a fallback" >&2
      fail=1
    fi
    if printf '%s\n' "${late_dlls[@]}" | grep -qx "$dll"; then
      echo "$(basename "$module") imports $dll!$fn: find it on first use (SystemFunction) so $dll stays unloaded until needed" >&2
      fail=1
    fi
    if printf '%s\n' "${never[@]}" | grep -qx "$fn"; then
      echo "$(basename "$module") imports $fn (Windows 8 or later): reach it through SystemFunction with a fallback" >&2
      fail=1
    fi
  done < <(grep -E -e "^($(IFS='|'; echo "${never_dlls[*]} ${late_dlls[*]}" | tr ' ' '|' | sed 's/\./\\./g')) " \
                   -e " ($(IFS='|'; echo "${never[*]}"))\$" <<<"$imports" || true)
  while read -r dll fn; do
    [ -n "$dll" ] || continue
    echo "$(basename "$module") imports $dll!$fn, not reviewed for Windows 7 SP1: check its minimum supported client and add it to $(basename "$list")" >&2
    fail=1
  done < <(comm -23 <(echo "$imports") <(echo "$reviewed"))
  echo "$(basename "$module"): $count imports"
done
[ $fail -eq 0 ] && echo "every import is on the reviewed list of functions Windows 7 SP1 exports"
exit $fail
