# Shell helpers for the Windows builds and Wine, sourced by scripts/test.sh,
# scripts/check-release.sh and bench/run.sh.

# Debian's 64-bit Wine loader, called directly: Debian's wine script prefers the 32-bit
# loader whenever wine32 is installed, even where the kernel refuses 32-bit programs.
wine64_loader=/usr/lib/wine/wine64
# Debian's 32-bit loader; elsewhere the wine on PATH stands for it.
wine32_loader=/usr/lib/wine/wine
[ -x "$wine32_loader" ] || wine32_loader=$(command -v wine || true)

# True when `loader` starts: 32-bit Wine cannot where the kernel refuses 32-bit programs.
wine_loader_runs() {
  [ -x "$1" ] && WINEDEBUG=-all timeout 30 "$1" --version > /dev/null 2>&1
}

# Writes folder/wine, a `wine` for PATH that runs `loader`.
write_wine_on_path() {
  local folder=$1 loader=$2
  mkdir -p "$folder"
  printf '#!/bin/sh\nWINELOADER=%s exec %s "$@"\n' "$loader" "$loader" > "$folder/wine"
  chmod +x "$folder/wine"
}

# A Windows program that must run alone beside enc.exe: the expected PE kind, and no DLL
# but the system's own (no libstdc++, libgcc or libwinpthread).
check_windows_program() {
  local program=$1 kind=$2 objdump=$3 description dll
  if command -v file > /dev/null; then
    description=$(file -b "$program")
    case "$description" in
      "$kind"*) ;;
      *) echo "$program: expected \"$kind\", got \"$description\""; return 1 ;;
    esac
  else
    echo "Not checking what kind of program $program is: that needs file."
  fi
  for dll in $("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p'); do
    case "${dll,,}" in
      kernel32.dll | msvcrt.dll | user32.dll | advapi32.dll | shell32.dll | ntdll.dll | version.dll) ;;
      *) echo "$program: imports $dll, which a Windows system does not provide"; return 1 ;;
    esac
  done
}
