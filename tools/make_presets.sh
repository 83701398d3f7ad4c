#!/usr/bin/env bash
# Writes the preset library, presets/*.q4q, and its index presets/README.md.
#
# Every look is written by `radiantix preset write` from the defaults plus the --set lines
# below; a setting a look does not name keeps its default. A look's haloColor is copied to
# haloColor2, as the dialog and random settings keep them. The same command line always
# gives the same bytes, so the files can be checked against this script
# (tests/presets/check_presets.sh does).
#
#   tools/make_presets.sh [OUT_DIR]     (default: presets/)
#   RADIANTIX=path/to/radiantix tools/make_presets.sh
#
# Blend mode codes: 1 normal (the sun replaces the picture), 2 procedural +, 3 procedural -,
# 4 difference, 5 lighten, 6 darken, 7 add, 8 subtract, 9 multiply, 10 screen, 11 composite.
# Lighting: 1 normal (textured core), 2 flat, 3 eclipse (black disc).
# Sizes: a slider value v is (v*v)/10+1 pixels: 10 -> 11, 20 -> 41, 30 -> 91, 40 -> 161,
# 50 -> 251, 60 -> 361, 70 -> 491, 80 -> 641, 100 -> 1001.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
radiantix=${RADIANTIX:-$root/build/native/app/radiantix}
out=${1:-$root/presets}
mkdir -p "$out"

index=""
look() {  # look NAME "DESCRIPTION" --set field=value ...
    local name=$1 description=$2
    shift 2
    local args=("$@") a
    for a in "$@"; do
        case $a in haloColor=*) args+=(--set "haloColor2=${a#haloColor=}") ;; esac
    done
    "$radiantix" preset write "$out/$name.q4q" "${args[@]}"
    index+="| \`$name\` | $description |"$'\n'
}

look distant-sun "A small white-hot sun far away: a bright pin with a faint warm glow and a few fine rays" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#fff4d8 --set sunColdHot=60 --set sunRadius=9 \
    --set haloColor=#ffd890 --set haloRadius=45 --set haloBrightness=35 \
    --set spikeCount=8 --set spikeBrightness=35 --set spikeWidth=10 --set spikeRadius=35 \
    --set spikeDiffraction=20 \
    --set bowBrightness=0 \
    --set masterBrightness=30

look eclipse-corona "Total eclipse: a black moon ringed by a pearly corona of fine streamers" \
    --set blendMode=11 --set lightingMode=3 \
    --set sunRadius=30 \
    --set haloColor=#d8e4ff --set haloRadius=38 --set haloBrightness=60 \
    --set flareColor=#e8f0ff --set flareRadius=42 --set flareCount=20 --set flareWidth=8 \
    --set flareDetail=70 --set flareBrightness=80 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=30

look desert-noon "Desert noon: a blinding flat disc that bleaches the sky around it" \
    --set blendMode=7 --set lightingMode=2 \
    --set sunColor=#fffbe8 --set sunRadius=22 \
    --set haloColor=#fff0c0 --set haloRadius=70 --set haloBrightness=65 \
    --set spikeCount=24 --set spikeBrightness=30 --set spikeWidth=30 --set spikeRadius=60 \
    --set spikeDiffraction=0 --set spikeColor=#fff6e0 \
    --set bowBrightness=0 \
    --set masterBrightness=35

look sci-fi-star "Sci-fi star: a blue-white core with a long anamorphic streak across the frame" \
    --set blendMode=10 \
    --set lightingMode=2 \
    --set sunColor=#c8dcff --set sunColdHot=20 --set sunRadius=12 \
    --set haloColor=#6090ff --set haloRadius=50 --set haloBrightness=60 \
    --set spikeVector=1,0,0 --set spikeCount=40 --set spikeWidth=8 --set spikeRadius=100 \
    --set spikeBrightness=70 --set spikeDiffraction=15 --set spikeColor=#80b0ff --set spikeDetail=100 \
    --set bowBrightness=0 \
    --set masterBrightness=30

look winter-haze "Winter sun through haze: a pale, cold disc softened by a wide milky glow" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#e4ecff --set sunColdHot=30 --set sunRadius=18 \
    --set haloColor=#b8ccff --set haloRadius=100 --set haloBrightness=85 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=20

look rainbow-bow "A full rainbow bow around a small bright sun" \
    --set blendMode=10 \
    --set sunColor=#ffffff --set sunColdHot=60 --set sunRadius=10 \
    --set haloColor=#fff0d0 --set haloRadius=30 --set haloBrightness=40 \
    --set bowRadius=55 --set bowWidth=22 --set bowBrightness=100 --set bowSmear=30 \
    --set spikeCount=0 \
    --set masterBrightness=28

look diffraction-star "Diffraction star: dozens of thin spikes banded with spectral fringes" \
    --set blendMode=10 \
    --set sunColor=#ffffff --set sunColdHot=60 --set sunRadius=8 \
    --set haloColor=#ffffff --set haloRadius=30 --set haloBrightness=40 \
    --set spikeCount=36 --set spikeWidth=6 --set spikeRadius=70 --set spikeBrightness=90 \
    --set spikeDiffraction=100 --set spikeDetail=30 --set spikeGamma=70 \
    --set bowBrightness=0 \
    --set masterBrightness=30

look sunset-ember "Sunset: a low orange disc in a deep red glow" \
    --set blendMode=11 --set lightingMode=2 \
    --set sunColor=#a03008 --set sunColdHot=100 --set sunRadius=28 \
    --set haloColor=#ff4810 --set haloRadius=75 --set haloBrightness=60 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=28

look red-giant "Red giant: a huge swirling crimson star filling the sky" \
    --set blendMode=11 \
    --set sunColor=#ff5a1e --set sunColdHot=100 --set sunRadius=48 --set sunDetail=95 \
    --set sunSmear=40 --set swirlCount=12 --set swirlSize=40 \
    --set haloColor=#ff3000 --set haloRadius=40 --set haloBrightness=55 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=28 --set seed=613

look white-dwarf "White dwarf: a tiny blue-white point in a cold blue glow" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#e0ecff --set sunColdHot=20 --set sunRadius=5 \
    --set haloColor=#a0c0ff --set haloRadius=35 --set haloBrightness=70 \
    --set spikeCount=6 --set spikeBrightness=60 --set spikeWidth=5 --set spikeRadius=25 \
    --set spikeDiffraction=30 --set spikeColor=#b0c8ff \
    --set bowBrightness=0 \
    --set masterBrightness=30 --set seed=1201

look solar-storm "Solar storm: a churning golden surface torn by swirls, with flaring prominences" \
    --set blendMode=11 \
    --set sunColor=#ffb020 --set sunColdHot=90 --set sunRadius=45 --set sunDetail=60 \
    --set sunSmear=80 --set swirlCount=30 --set swirlSize=50 \
    --set haloColor=#ff8000 --set haloRadius=30 --set haloBrightness=50 \
    --set flareColor=#ff9020 --set flareRadius=35 --set flareCount=16 --set flareWidth=15 \
    --set flareDetail=40 --set flareBrightness=90 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=28 --set seed=77

look pale-moon "Pale moon: a grey, finely pitted disc hanging in the evening sky" \
    --set blendMode=10 \
    --set sunColor=#c0c0c0 --set sunColdHot=50 --set sunRadius=28 --set sunDetail=30 \
    --set sunSmear=0 --set swirlCount=0 \
    --set haloColor=#505868 --set haloRadius=25 --set haloBrightness=30 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=26 --set seed=1500

look god-rays "Crepuscular rays: warm shafts of light fanning out from a low sun" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#fff0c0 --set sunColdHot=60 --set sunRadius=14 \
    --set haloColor=#ffc070 --set haloRadius=55 --set haloBrightness=50 \
    --set flareColor=#ffe0a0 --set flareRadius=80 --set flareCount=20 --set flareWidth=10 \
    --set flareDetail=30 --set flareBrightness=60 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=28 --set seed=340

look golden-starburst "Golden starburst: a fan of solid gold rays without spectral fringes" \
    --set blendMode=7 --set lightingMode=2 \
    --set sunColor=#ffd060 --set sunColdHot=70 --set sunRadius=10 \
    --set haloColor=#ffb030 --set haloRadius=35 --set haloBrightness=55 \
    --set spikeCount=60 --set spikeWidth=12 --set spikeRadius=50 --set spikeBrightness=60 \
    --set spikeDiffraction=0 --set spikeColor=#ffc040 --set spikeGamma=80 \
    --set bowBrightness=0 \
    --set masterBrightness=28 --set seed=900

look solarised "Solarised: a disc and rays that turn the picture into its negative wherever they shine" \
    --set blendMode=4 --set lightingMode=2 \
    --set sunColor=#ffffff --set sunColdHot=50 --set sunRadius=40 \
    --set haloColor=#ffffff --set haloRadius=60 --set haloBrightness=30 \
    --set spikeCount=12 --set spikeWidth=40 --set spikeRadius=70 --set spikeBrightness=100 \
    --set spikeDiffraction=0 \
    --set bowBrightness=0 \
    --set masterBrightness=60

look dark-star "Dark star: a black disc rimmed with blood-red fire and thin crimson rays" \
    --set blendMode=11 --set lightingMode=3 \
    --set sunRadius=26 \
    --set haloColor=#ff2000 --set haloRadius=45 --set haloBrightness=75 \
    --set spikeCount=20 --set spikeWidth=10 --set spikeRadius=45 --set spikeBrightness=70 \
    --set spikeDiffraction=10 --set spikeColor=#ff3020 \
    --set bowBrightness=0 \
    --set masterBrightness=32 --set seed=1666

look ice-halo "Ice halo: a wide, pale ring around a cold winter sun" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#ffffff --set sunColdHot=35 --set sunRadius=12 \
    --set haloColor=#d0dcff --set haloRadius=45 --set haloBrightness=55 \
    --set bowRadius=58 --set bowWidth=14 --set bowBrightness=70 --set bowSmear=90 \
    --set spikeCount=0 \
    --set masterBrightness=26

look pulsar "Pulsar: two violet jets shooting from a spinning star" \
    --set blendMode=10 \
    --set sunColor=#f0d8ff --set sunColdHot=60 --set sunRadius=16 --set swirlCount=6 --set sunSmear=50 \
    --set haloColor=#b040ff --set haloRadius=45 --set haloBrightness=60 \
    --set spikeVector=0,1,0 --set spikeCount=4 --set spikeWidth=70 --set spikeRadius=80 \
    --set spikeBrightness=40 --set spikeDiffraction=0 --set spikeColor=#b060ff --set spikeDetail=90 \
    --set bowBrightness=0 \
    --set masterBrightness=32

look firework "Firework: a hundred short rays in every colour of the spectrum" \
    --set blendMode=7 --set lightingMode=2 \
    --set sunColor=#fff8f0 --set sunColdHot=50 --set sunRadius=6 \
    --set haloColor=#000000 --set haloRadius=0 \
    --set spikeCount=100 --set spikeWidth=20 --set spikeRadius=18 --set spikeBrightness=100 \
    --set spikeDiffraction=100 --set spikeDetail=80 --set spikeGamma=40 \
    --set bowBrightness=0 \
    --set masterBrightness=30 --set seed=404

look camera-glint "Camera glint: a sharp point of light with a handful of long needles" \
    --set blendMode=5 --set lightingMode=2 \
    --set sunColor=#ffffff --set sunColdHot=50 --set sunRadius=6 \
    --set haloColor=#ffffff --set haloRadius=22 --set haloBrightness=60 \
    --set spikeVector=0.3,0.3,0 --set spikeCount=6 --set spikeWidth=4 --set spikeRadius=90 \
    --set spikeBrightness=100 --set spikeDiffraction=40 --set spikeGamma=90 \
    --set bowBrightness=0 \
    --set masterBrightness=30 --set seed=1024

look soft-morning "Soft morning: a mellow yellow sun in a broad, gentle glow" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#a08848 --set sunColdHot=60 --set sunRadius=16 \
    --set haloColor=#ffd890 --set haloRadius=90 --set haloBrightness=45 \
    --set spikeCount=0 \
    --set bowRadius=45 --set bowWidth=40 --set bowBrightness=15 --set bowSmear=100 \
    --set masterBrightness=22

look supernova "Supernova: an exploding white-blue star flooding the frame with light" \
    --set blendMode=7 --set lightingMode=2 \
    --set sunColor=#f0f4ff --set sunColdHot=30 --set sunRadius=22 \
    --set haloColor=#c0d0ff --set haloRadius=80 --set haloBrightness=60 \
    --set flareColor=#d0e0ff --set flareRadius=55 --set flareCount=12 --set flareWidth=20 \
    --set spikeCount=36 --set spikeWidth=25 --set spikeRadius=80 --set spikeBrightness=70 \
    --set spikeDiffraction=40 --set spikeColor=#e0e8ff \
    --set bowBrightness=0 \
    --set masterBrightness=40 --set seed=1987

look spotlight "Spotlight: a warm vignette; the picture stays lit around the sun and falls to black beyond it" \
    --set blendMode=9 --set lightingMode=2 \
    --set sunColor=#ffffff --set sunColdHot=50 --set sunRadius=40 \
    --set haloColor=#fff0d8 --set haloRadius=90 --set haloBrightness=0 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=100

look moon-corona "Moon corona: a tight coloured ring around a bright moon in thin cloud" \
    --set blendMode=10 \
    --set sunColor=#f0f0ff --set sunColdHot=50 --set sunRadius=18 --set sunDetail=85 \
    --set swirlCount=0 \
    --set haloColor=#c8d0e0 --set haloRadius=40 --set haloBrightness=60 \
    --set bowRadius=24 --set bowWidth=14 --set bowBrightness=70 --set bowSmear=40 --set bowInvert=1 \
    --set spikeCount=0 \
    --set masterBrightness=30 --set seed=88

look retro-sun "Retro sun: a hot pink disc with a neon streak, straight out of a synth album cover" \
    --set blendMode=11 --set lightingMode=2 \
    --set sunColor=#a01850 --set sunColdHot=50 --set sunRadius=35 \
    --set haloColor=#ff2080 --set haloRadius=60 --set haloBrightness=55 \
    --set spikeVector=1,0,0 --set spikeCount=20 --set spikeWidth=15 --set spikeRadius=90 \
    --set spikeBrightness=70 --set spikeDiffraction=0 --set spikeColor=#ff60c0 --set spikeDetail=100 \
    --set bowBrightness=0 \
    --set masterBrightness=28

look alien-sun "Alien sun: a green, turbulent star with an inverted bow" \
    --set blendMode=5 \
    --set sunColor=#90ff60 --set sunColdHot=20 --set sunRadius=32 --set sunDetail=55 \
    --set sunSmear=50 --set swirlCount=8 --set swirlSize=60 \
    --set haloColor=#40ff80 --set haloRadius=55 --set haloBrightness=50 \
    --set bowRadius=50 --set bowWidth=30 --set bowBrightness=60 --set bowInvert=1 \
    --set spikeCount=0 \
    --set masterBrightness=28 --set seed=1312

look underwater "Underwater: a blurred sun seen from below the surface, with cyan shafts of light" \
    --set blendMode=10 --set lightingMode=2 \
    --set sunColor=#d0fff0 --set sunColdHot=30 --set sunRadius=14 \
    --set haloColor=#30c0c0 --set haloRadius=90 --set haloBrightness=45 \
    --set flareColor=#80ffe0 --set flareRadius=90 --set flareCount=14 --set flareWidth=22 \
    --set flareDetail=20 --set flareBrightness=70 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=25 --set seed=1732

look harvest-moon "Harvest moon: a big amber moon with a soft mottled face, at its best low in an evening sky (a blue daytime sky pales it)" \
    --set blendMode=10 \
    --set sunColor=#ff9838 --set sunColdHot=50 --set sunRadius=40 --set sunDetail=100 \
    --set sunSmear=0 --set swirlCount=0 \
    --set haloColor=#ff9040 --set haloRadius=30 --set haloBrightness=20 \
    --set spikeCount=0 \
    --set bowBrightness=0 \
    --set masterBrightness=28 --set seed=1111

cat >"$out/README.md" <<EOF
# Preset library

Named looks for Radiantix, one \`*.q4q\` file each (232 bytes). Load one in the dialog with
"Load", or on the command line: \`radiantix render photo.jpg -o out.png --preset presets/NAME.q4q\`.
Written by \`tools/make_presets.sh\`; pictures in \`docs/gallery/\`.

| Preset | Look |
|---|---|
${index%$'\n'}
EOF
