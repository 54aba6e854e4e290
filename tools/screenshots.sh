#!/usr/bin/env bash
# Makes the pictures of both pages for the README and the metainfo: starts the program under
# Xvfb with sample files made here and a settings folder of its own, shows each page and saves
# docs/renombrador.png and docs/cv-tag.png.
#
#   tools/screenshots.sh [DISPLAY]      (display :96 unless given)
#
# Nothing of the user's is read or changed: the samples live in /var/tmp/muestras (a short
# path, so the folder tree in the pictures stays readable) and are removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
cv_install_missing xvfb xdotool imagemagick python3

display=${1:-:96}
samples=/var/tmp/muestras
docs=$PWD/docs

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target carvento-utilities
program=$PWD/build/carvento-utilities

# One run at a time: the samples' folder has a fixed name.
exec 9>"$samples.lock"
flock -n 9 || { echo "Another run of $0 is under way." >&2; exit 1; }
marker=$samples/.carvento-muestras
if [ -e "$samples" ] && [ ! -e "$marker" ]; then
    echo "$samples exists and was not made by this script; remove it first." >&2
    exit 1
fi
rm -rf "$samples"
scratch=$(mktemp -d)
xvfb_pid="" program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$samples" "$scratch"
}
trap cleanup EXIT

# Sample files: holiday photos and documents for the renamer, tagged MP3 files for the tag page.
mkdir -p "$samples"
touch "$marker"
python3 - "$samples" <<'EOF'
import os, struct, sys

root = sys.argv[1]
photos = os.path.join(root, "Fotos", "Lisboa 2025")
music = os.path.join(root, "Música", "Al sur del faro")
os.makedirs(photos)
os.makedirs(music)
# More of a collection around them, as in any home folder.
for folder in ("Navidad 2024", "Oporto 2021", "Pirineos 2020", "Roma 2022", "Sevilla 2019",
               "Toledo 2018", "Valencia 2023", "Verano 2024", "Verano 2025", "Vigo 2015",
               "Zamora 2016", "Zaragoza 2017"):
    os.makedirs(os.path.join(root, "Fotos", folder))
for folder in ("Bailables del puerto", "Coplas nuevas", "Estaciones", "Luz de agosto",
               "Marea alta", "Noches de jazz", "Verano en Cádiz"):
    os.makedirs(os.path.join(root, "Música", folder))
os.makedirs(os.path.join(root, "Documentos"))

def filler(size, seed):
    return bytes((seed * 31 + i * 7) % 251 for i in range(size))

for n, (name, size) in enumerate([
        ("IMG_2041.JPG", 2_412_000), ("IMG_2042.JPG", 2_190_500), ("IMG_2043.jpeg", 1_876_300),
        ("IMG_2044.JPG", 2_655_100), ("IMG_2045.JPG", 2_301_800), ("billetes de tren.pdf", 84_200),
        ("notas del viaje.txt", 3_100), ("presupuesto.ods", 12_800), ("tranvía 28.mp4", 6_204_000)]):
    path = os.path.join(photos, name)
    with open(path, "wb") as f:
        f.write(filler(size, n))
    when = 1760443200 + n * 2400  # an afternoon in October 2025
    os.utime(path, (when, when))

def v2_frame(frame_id, text):
    body = b"\x00" + text.encode("cp1252")
    return frame_id.encode() + struct.pack(">I", len(body)) + b"\x00\x00" + body

def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])

def v1_field(text, size):
    return text.encode("cp1252")[:size].ljust(size, b"\x00")

artist, album, year = "Los Pájaros de Papel", "Al sur del faro", "2019"
titles = ["Canción de la lluvia", "Mañana será otro día", "El faro", "Calle del Olvido",
          "Levante", "Nana para una ciudad"]
comment_body = b"\x00spa\x00" + "Grabado en directo".encode("cp1252")
comment = b"COMM" + struct.pack(">I", len(comment_body)) + b"\x00\x00" + comment_body
# Silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz): 417 bytes each.
audio = (b"\xff\xfb\x90\x64" + bytes(413)) * 600
for track, title in enumerate(titles, 1):
    frames = b"".join([v2_frame("TIT2", title), v2_frame("TPE1", artist), v2_frame("TALB", album),
                       v2_frame("TYER", year), v2_frame("TRCK", str(track)), v2_frame("TCON", "Pop"),
                       comment])
    frames += bytes(256)  # padding
    tag_v2 = b"ID3\x03\x00\x00" + syncsafe(len(frames)) + frames
    tag_v1 = (b"TAG" + v1_field(title, 30) + v1_field(artist, 30) + v1_field(album, 30) + year.encode()
              + v1_field("Grabado en directo", 28) + b"\x00" + bytes([track]) + bytes([13]))
    path = os.path.join(music, "%02d - %s.mp3" % (track, title))
    with open(path, "wb") as f:
        f.write(tag_v2 + audio + tag_v1)
    os.utime(path, (1561900000, 1561900000))
EOF

# Settings of its own: both pages open at the samples, no version check.
mkdir -p "$scratch/config/CarventoUtilities"
cat >"$scratch/config/CarventoUtilities/settings.ini" <<EOF
[General]
RUTA%20RENOMBRADOR=$samples/Fotos/Lisboa 2025
RUTA%20TAG=$samples/Música/Al sur del faro
REVISAR=0
EOF

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# A display that is already taken would show someone else's windows.
kill -0 "$xvfb_pid" 2>/dev/null || { cat "$scratch/xvfb.log" >&2; echo "Xvfb could not start on $display." >&2; exit 1; }

XDG_CONFIG_HOME=$scratch/config LANG=es_ES.UTF-8 LC_ALL= "$program" >"$scratch/program.log" 2>&1 &
program_pid=$!
window=$(timeout 20 xdotool search --sync --name '^Carvento utilities v\.' | head -1)
[ -n "$window" ] || { cat "$scratch/program.log" >&2; echo "The window did not appear." >&2; exit 1; }

title() { xdotool getwindowname "$window"; }
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
shoot() {
    xdotool mousemove 0 0   # no hover highlight in the picture
    sleep 1
    mkdir -p "$docs"
    import -window "$window" "$docs/$1"
    echo "docs/$1: $(title)"
}

# Roomier than the first-run size, so more of both lists shows.
xdotool windowsize "$window" 800 600
sleep 1

# Positions inside the window: the menu bar runs along the top; the file list's first file
# lies below the pane buttons, the list's header and the parent-folder entry, right of the
# folder tree.
menu_y=19
first_file_x=480 first_file_y=114

click "$first_file_x" "$first_file_y"
xdotool keydown shift; click "$first_file_x" $((first_file_y + 36)); xdotool keyup shift
shoot renombrador.png

# The menu entries' widths follow their captions: walk along the bar until the title names the
# tag page. "Renombrador" comes first, so nothing else is chosen on the way.
for x in $(seq 8 10 400); do
    click "$x" "$menu_y"
    [[ "$(title)" == *" - Cv-Tag" ]] && break
done
[[ "$(title)" == *" - Cv-Tag" ]] || { echo "The menu entry Cv-Tag was not found." >&2; exit 1; }
click "$first_file_x" "$first_file_y"
shoot cv-tag.png
