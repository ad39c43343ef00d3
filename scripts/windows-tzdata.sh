#!/usr/bin/env bash
# The time zone data the Windows build ships beside the program: the IANA
# text files from Debian's tzdata source package, and a windowsZones.xml
# that maps the common Windows zone names to IANA names (the computer's own
# zone; any zone can still be named).
#   scripts/windows-tzdata.sh OUT_FOLDER
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: scripts/windows-tzdata.sh OUT_FOLDER}
src=$("$here/scripts/debian-source.sh" tzdata)
[ -n "$src" ] || { echo "error: the tzdata source package could not be fetched" >&2; exit 1; }
mkdir -p "$out"
# Indented comments (#STDOFF ...) are left out: the zone library would print
# each one as a line it does not know.
for file in africa antarctica asia australasia backward etcetera europe northamerica southamerica leapseconds version; do
  [ -f "$src/$file" ] && sed -e '/^[[:space:]]\{1,\}#/d' "$src/$file" >"$out/$file"
done
[ -f "$out/version" ] || basename "$src" | sed 's/^tzdata-//' >"$out/version"
cat >"$out/windowsZones.xml" <<'XML'
<supplementalData>
<windowsZones>
<mapTimezones otherVersion="zelkor" typeVersion="zelkor">
<!-- The Windows zone of the computer, by its name, to the IANA zone Zelkor uses. -->
<mapZone other="Dateline Standard Time" territory="001" type="Etc/GMT+12"/>
<mapZone other="Hawaiian Standard Time" territory="001" type="Pacific/Honolulu"/>
<mapZone other="Alaskan Standard Time" territory="001" type="America/Anchorage"/>
<mapZone other="Pacific Standard Time" territory="001" type="America/Los_Angeles"/>
<mapZone other="US Mountain Standard Time" territory="001" type="America/Phoenix"/>
<mapZone other="Mountain Standard Time" territory="001" type="America/Denver"/>
<mapZone other="Canada Central Standard Time" territory="001" type="America/Regina"/>
<mapZone other="Central Standard Time" territory="001" type="America/Chicago"/>
<mapZone other="Eastern Standard Time" territory="001" type="America/New_York"/>
<mapZone other="Atlantic Standard Time" territory="001" type="America/Halifax"/>
<mapZone other="Newfoundland Standard Time" territory="001" type="America/St_Johns"/>
<mapZone other="E. South America Standard Time" territory="001" type="America/Sao_Paulo"/>
<mapZone other="Argentina Standard Time" territory="001" type="America/Argentina/Buenos_Aires"/>
<mapZone other="UTC" territory="001" type="Etc/UTC"/>
<mapZone other="GMT Standard Time" territory="001" type="Europe/London"/>
<mapZone other="W. Europe Standard Time" territory="001" type="Europe/Berlin"/>
<mapZone other="Romance Standard Time" territory="001" type="Europe/Paris"/>
<mapZone other="Central Europe Standard Time" territory="001" type="Europe/Budapest"/>
<mapZone other="Russian Standard Time" territory="001" type="Europe/Moscow"/>
<mapZone other="South Africa Standard Time" territory="001" type="Africa/Johannesburg"/>
<mapZone other="E. Africa Standard Time" territory="001" type="Africa/Nairobi"/>
<mapZone other="India Standard Time" territory="001" type="Asia/Kolkata"/>
<mapZone other="China Standard Time" territory="001" type="Asia/Shanghai"/>
<mapZone other="Tokyo Standard Time" territory="001" type="Asia/Tokyo"/>
<mapZone other="W. Australia Standard Time" territory="001" type="Australia/Perth"/>
<mapZone other="Cen. Australia Standard Time" territory="001" type="Australia/Adelaide"/>
<mapZone other="AUS Eastern Standard Time" territory="001" type="Australia/Sydney"/>
<mapZone other="New Zealand Standard Time" territory="001" type="Pacific/Auckland"/>
</mapTimezones>
</windowsZones>
</supplementalData>
XML
echo "$out"
