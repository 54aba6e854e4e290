#!/usr/bin/env bash
# Makes the pictures of both pages for the README and the metainfo: starts the program under
# Xvfb with sample files made here and a settings folder of its own, shows each page and saves
# docs/renombrador.png and docs/cv-tag.png.
#
#   tools/screenshots.sh [DISPLAY]                        (display :96 unless given)
#   tools/screenshots.sh --every-window FOLDER [DISPLAY]
#
# The second form shows every window of the program instead, once in a light and once in a
# dark colour scheme (Fusion with the "darker" scheme of qt6ct, as a user would choose it), and
# saves them as FOLDER/light-*.png and FOLDER/dark-*.png, to be looked at; docs/ is left alone.
#
# Nothing of the user's is read or changed: the samples live in /var/tmp/muestras (a short
# path, so the folder tree in the pictures stays readable) and are removed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/deps.sh
cv_install_missing xvfb xdotool imagemagick python3 qt6ct

every=""
if [ "${1:-}" = --every-window ]; then
    every=$(realpath -m "${2:?tools/screenshots.sh --every-window FOLDER [DISPLAY]}")
    shift 2
fi
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


# Settings of its own: both pages open at the samples, no version check; and the dark scheme
# as qt6ct writes it, used only when the program is started with qt6ct as its platform theme.
settings() {
    rm -rf "$scratch/config"
    mkdir -p "$scratch/config/CarventoUtilities" "$scratch/config/qt6ct"
    printf '[General]\nRUTA%%20RENOMBRADOR=%s\nRUTA%%20TAG=%s\nREVISAR=0\n' \
        "$samples/Fotos/Lisboa 2025" "$samples/Música/Al sur del faro" \
        >"$scratch/config/CarventoUtilities/settings.ini"
    printf '[Appearance]\ncolor_scheme_path=%s\ncustom_palette=true\nstandard_dialogs=default\nstyle=Fusion\n' \
        /usr/share/qt6ct/colors/darker.conf >"$scratch/config/qt6ct/qt6ct.conf"
}

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$scratch/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
# A display that is already taken would show someone else's windows.
kill -0 "$xvfb_pid" 2>/dev/null || { cat "$scratch/xvfb.log" >&2; echo "Xvfb could not start on $display." >&2; exit 1; }

# Starts the program in the given scheme (light or dark) and waits for its window.
start() {
    settings
    local theme=()
    [ "$1" = dark ] && theme=(QT_QPA_PLATFORMTHEME=qt6ct)
    env XDG_CONFIG_HOME="$scratch/config" LANG=es_ES.UTF-8 LC_ALL= "${theme[@]}" "$program" \
        >"$scratch/program.log" 2>&1 &
    program_pid=$!
    window=$(timeout 20 xdotool search --sync --onlyvisible --name '^Carvento utilities v\.' | head -1)
    [ -n "$window" ] || { cat "$scratch/program.log" >&2; echo "The window did not appear." >&2; exit 1; }
    # Roomier than the first-run size, so more of both lists shows.
    xdotool windowsize "$window" 800 600
    sleep 2
}
stop() {
    kill "$program_pid" 2>/dev/null || true
    wait "$program_pid" 2>/dev/null || true
    program_pid=""
}

title() { xdotool getwindowname "$window"; }
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.4; }
# The window whose title begins so (the newest, when several): the keyboard is given to it,
# since without a window manager nothing else would. Titles are given by their ASCII
# beginning: xdotool's patterns do not take the other letters in every locale.
find_window() {
    local found
    found=$(timeout 10 xdotool search --sync --onlyvisible --name "^$1" | tail -1)
    if [ -z "$found" ]; then
        echo "No window \"$1\" appeared; these are shown:" >&2
        xdotool search --onlyvisible --name . getwindowname %@ >&2 || true
        exit 1
    fi
    xdotool windowfocus --sync "$found"
    echo "$found"
}
# Keys for the window of that title.
keys_to() {
    local target
    target=$(find_window "$1")
    shift
    xdotool key --delay 100 "$@"
    sleep 0.7
}
shoot() {
    xdotool mousemove 0 0   # no hover highlight in the picture
    sleep 0.8
    mkdir -p "$(dirname "$2")"
    import -window "$1" "$2"
    echo "$2: $(xdotool getwindowname "$1")"
}

# Positions inside the main window: the file list's first file lies below the pane buttons,
# the list's header and the parent-folder entry, right of the folder tree.
first_file_x=480 first_file_y=114
select_three_files() {
    click "$window" "$first_file_x" "$first_file_y"
    xdotool keydown shift; click "$window" "$first_file_x" $((first_file_y + 36)); xdotool keyup shift
}

main='Carvento utilities v\.'
if [ -z "$every" ]; then
    start light
    select_three_files
    shoot "$window" "$docs/renombrador.png"
    keys_to "$main" alt+c
    [[ "$(title)" == *" - Cv-Tag" ]] || { echo "Alt+C did not show the page Cv-Tag." >&2; exit 1; }
    click "$window" "$first_file_x" "$first_file_y"
    shoot "$window" "$docs/cv-tag.png"
    exit 0
fi

for scheme in light dark; do
    out=$every/$scheme
    start "$scheme"
    # A warning first: nothing is selected yet.
    keys_to "$main" alt+v
    shoot "$(find_window Atenci)" "$out-01-aviso.png"
    keys_to Atenci Return
    select_three_files
    shoot "$window" "$out-02-renombrador.png"
    keys_to "$main" alt+v
    shoot "$(find_window 'Renombrar avanzado')" "$out-03-renombrar-avanzado.png"
    for dialog in 04:n:Numerar 05:a:Agregar 06:e:Eliminar 07:s:Sustituir 08:f:Abrir; do
        IFS=: read -r number key name <<<"$dialog"
        keys_to 'Renombrar avanzado' "alt+$key"
        shoot "$(find_window "$name")" "$out-$number-${name,,}.png"
        keys_to "$name" Escape
    done
    # The old names across, a forbidden character typed, then the question and the preview.
    keys_to 'Renombrar avanzado' shift+Tab space Tab End question alt+r
    shoot "$(find_window Atenci)" "$out-09-pregunta.png"
    keys_to Atenci s
    shoot "$(find_window 'Vista previa')" "$out-10-vista-previa.png"
    # Cancelling the preview goes back to the typed names; leaving them asks first.
    keys_to 'Vista previa' Escape
    keys_to 'Renombrar avanzado' alt+c
    shoot "$(find_window Confirmaci)" "$out-10b-cerrar-sin-renombrar.png"
    keys_to Confirmaci s
    keys_to "$main" alt+o
    shoot "$(find_window Configuraci)" "$out-11-configuracion.png"
    keys_to Configuraci Escape
    keys_to "$main" F1
    shoot "$(find_window Ayuda)" "$out-12-ayuda.png"
    keys_to Ayuda Escape
    keys_to "$main" alt+c
    click "$window" "$first_file_x" "$first_file_y"
    shoot "$window" "$out-13-cv-tag-id3v1.png"
    # From the file list, Tab reaches the editor's sheets.
    keys_to "$main" Tab Right
    shoot "$window" "$out-14-cv-tag-id3v2.png"
    keys_to "$main" Right
    shoot "$window" "$out-15-cv-tag-masivo.png"
    keys_to "$main" Right
    shoot "$window" "$out-16-cv-tag-renombrar-ficheros.png"
    stop
done
