#!/usr/bin/env bash
# Builds a sample protected disc: about three dozen files of common types in nested folders,
# a splash background and logo drawn with ImageMagick, splash text, a licence, a master
# password and two users. Usage: make-sample-disc.sh OUTDIR VIEWER_EXE
# The disc tool is taken from build/native (or $ORVANTA_DISCTOOL); set ORVANTA_SAMPLE_FONT to a
# .ttf file to give the disc a custom splash font.
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 OUTDIR VIEWER_EXE" >&2
  exit 2
fi
out="$1"
viewer="$2"
root="$(cd "$(dirname "$0")/.." && pwd)"
disctool="${ORVANTA_DISCTOOL:-$root/build/native/tools/disctool/disctool}"
[ -x "$disctool" ] || { echo "$0: no disc tool at $disctool (run scripts/build.sh first)" >&2; exit 1; }
[ -f "$viewer" ] || { echo "$0: no viewer at $viewer" >&2; exit 1; }
command -v convert >/dev/null || { echo "$0: ImageMagick's convert is needed" >&2; exit 1; }

work="$(mktemp -d /tmp/orvanta-sample.XXXXXX)"
trap 'rm -rf "$work"' EXIT
src="$work/files"
art="$work/art"
mkdir -p "$src" "$art"

# --- the disc's files --------------------------------------------------------------------
mkdir -p "$src/Reports/2025" "$src/Reports/2026/Quarterly" "$src/Pictures/Site photos" \
  "$src/Data" "$src/Web/pages" "$src/Manuals/Installation/Appendix" "$src/Empty folder"

cat > "$src/Read me.txt" <<'TXT'
Orvanta sample disc
===================

This disc holds reports, pictures, data tables, web pages and manuals.
Use View/Open to read a file, Export to copy files out, Search to find them.
TXT

for q in 1 2 3 4; do
  {
    echo "Quarter $q report"
    echo
    for i in $(seq 1 40); do echo "Line $i: sales in region $((i % 7)) were $((q * 1000 + i * 37)) units."; done
  } > "$src/Reports/2026/Quarterly/Q$q-2026.txt"
done
printf 'Annual summary 2025\r\nRevenue up 4%%.\r\n' > "$src/Reports/2025/Annual summary.txt"
printf 'Minutes of the board meeting, 12 March 2025.\n' > "$src/Reports/2025/Board minutes.txt"
: > "$src/Reports/2025/Empty notes.txt"

{
  echo "id,name,region,amount"
  for i in $(seq 1 500); do echo "$i,Customer $i,Region $((i % 9)),$((i * 13 % 1000)).$((i % 100))"; done
} > "$src/Data/customers.csv"
{
  echo "date,temperature,humidity"
  for d in $(seq 1 28); do echo "2026-02-$(printf %02d "$d"),$((d % 11 - 3)),$((40 + d))"; done
} > "$src/Data/weather.csv"
cat > "$src/Data/settings.xml" <<'XML'
<?xml version="1.0" encoding="windows-1252"?>
<settings><region id="3" name="North"/><region id="4" name="South"/></settings>
XML
printf '{"disc":"sample","files":36,"encrypted":true}\n' > "$src/Data/summary.json"
head -c 3200000 /dev/urandom > "$src/Data/archive.bin"   # more than one 1 MiB chunk

cat > "$src/Web/index.html" <<'HTML'
<html><head><title>Sample disc</title></head>
<body><h1>Sample disc</h1><p>See <a href="pages/about.html">about</a>.</p></body></html>
HTML
for p in about contact products history; do
  printf '<html><head><title>%s</title></head><body><h1>%s</h1><p>Page text.</p></body></html>\n' "$p" "$p" \
    > "$src/Web/pages/$p.html"
done
printf 'body { font-family: Arial; color: #223344; }\n' > "$src/Web/style.css"

printf '{\\rtf1\\ansi{\\fonttbl\\f0\\fswiss Arial;}\\f0\\pard Installation guide\\par}\n' \
  > "$src/Manuals/Installation/Guide.rtf"
for i in 1 2 3; do
  printf 'Step %s: follow the instructions on screen.\r\n' "$i" > "$src/Manuals/Installation/Step $i.txt"
done
printf 'Appendix A: error codes.\r\n' > "$src/Manuals/Installation/Appendix/Appendix A.txt"
printf 'User manual\r\n\r\nChapter 1\r\n' > "$src/Manuals/User manual.txt"

convert -size 320x240 gradient:navy-skyblue "BMP3:$src/Pictures/gradient.bmp"
convert -seed 7 -size 640x480 plasma:fractal "$src/Pictures/Site photos/site-01.jpg"
convert -size 640x480 xc:khaki -fill sienna -draw "rectangle 100,100 540,380" \
  -fill forestgreen -draw "circle 320,240 320,320" "$src/Pictures/Site photos/site-02.jpg"
convert -size 200x200 xc:white -fill red -draw "circle 100,100 100,20" "$src/Pictures/badge.png"
convert -size 64x64 xc:yellow -fill blue -draw "rectangle 16,16 48,48" "$src/Pictures/icon.gif"
convert -size 48x48 pattern:checkerboard "BMP3:$src/Pictures/checker.bmp"

# --- splash art, texts ---------------------------------------------------------------------
convert -size 800x600 gradient:'#102040-#4080c0' -fill '#ffffff20' \
  -draw "circle 650,120 650,260" -draw "circle 150,500 150,560" "BMP3:$art/Background.bmp"
convert -size 240x90 xc:'#ff00ff' -fill '#f0c020' -draw "roundrectangle 10,10 230,80 20,20" \
  -fill '#102040' -draw "circle 55,45 55,70" +antialias "$art/logo.gif"
# GIF keeps the magenta key colour exact (a JPEG blurs it into near-magenta pixels).
logo_key=ff00ff
convert -size 120x120 xc:'#f0c020' -fill '#102040' -draw "circle 60,60 60,100" "$art/about.jpg"

cat > "$art/licence.txt" <<'TXT'
END USER LICENCE AGREEMENT

This sample disc and its contents are provided for testing only.

1. You may view and, where permitted, export the files on this disc.
2. You may not redistribute the disc or its contents.
3. The contents are provided as they are, without warranty of any kind.

By choosing "I accept this agreement" you agree to these terms.
TXT

cat > "$work/meta.tsv" <<'TSV'
# path	ID number	name text	note
Read me.txt	1	Read me first	Start here.
Reports/2026/Quarterly/Q1-2026.txt	2026001	First quarter report	Figures checked by accounts.
Data/customers.csv	5001	Customer list	Confidential: do not forward.
Pictures/Site photos/site-01.jpg	7001	North site	Taken in spring.
Manuals	-1	Product manuals	
TSV

font_args=()
if [ -n "${ORVANTA_SAMPLE_FONT:-}" ]; then
  font_args=(--font "$ORVANTA_SAMPLE_FONT" --font-face "${ORVANTA_SAMPLE_FONT_FACE:-Sample Face}")
fi

"$disctool" build --viewer "$viewer" --from "$src" --out "$out" \
  --password "orvanta" \
  --user "1001:Alice:alice123:1::Hello Alice,\\nthe Q1 figures are final. Please export what you need." \
  --user "1002:Bob:bob456:0:2030-12-31:" \
  --licence "$art/licence.txt" \
  --splash-text "Orvanta sample disc\\nProtected content - enter your password\\n" \
  --text-layout bottom-centre --text-colour ffffff --shadow 2,2 --shadow-colour 000000 \
  --font-height 28 --splash-colour 102040 \
  --background "$art/Background.bmp" --background-layout stretch \
  --logo "$art/logo.gif" --logo-layout top-left --logo-transparent "$logo_key" \
  --about-line "Orvanta sample disc" --about-line "Built by disctool" --about-line "For testing only" \
  --about-picture "$art/about.jpg" \
  --id-numbers 100 --meta "$work/meta.tsv" --method bitcrypt \
  "${font_args[@]}"

echo "sample disc in $out: master password \"orvanta\"; users Alice (alice123, may export, note)"
echo "and Bob (bob456, no export, expires 2030-12-31)"
