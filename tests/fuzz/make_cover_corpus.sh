#!/usr/bin/env bash
# Writes the seed pictures of fuzz_cover_decoding into the given folder, made
# with ImageMagick: JPEG (baseline, progressive, grey, CMYK, 4:2:0 and 4:4:4)
# and PNG (colour, alpha, palette, grey, 16 bits, interlaced), all small.
#
#   tests/fuzz/make_cover_corpus.sh FOLDER
set -euo pipefail
out="${1:?usage: $0 FOLDER}"
mkdir -p "$out"
picture=(-size 37x23 gradient:'#c02030-#2040e0')
convert "${picture[@]}" -quality 90 "$out/baseline.jpg"
convert "${picture[@]}" -quality 75 -interlace JPEG "$out/progressive.jpg"
convert "${picture[@]}" -colorspace Gray -quality 85 "$out/grey.jpg"
convert "${picture[@]}" -colorspace CMYK -quality 85 "$out/cmyk.jpg"
convert "${picture[@]}" -sampling-factor 4:2:0 -quality 60 "$out/subsampled.jpg"
convert "${picture[@]}" -sampling-factor 4:4:4 -quality 95 "$out/full.jpg"
convert "${picture[@]}" "PNG24:$out/colour.png"
convert "${picture[@]}" -alpha set -channel A -evaluate set 50% "PNG32:$out/alpha.png"
convert "${picture[@]}" -colors 8 "PNG8:$out/palette.png"
convert "${picture[@]}" -colorspace Gray "PNG:$out/grey.png"
convert "${picture[@]}" -depth 16 "PNG48:$out/deep.png"
convert "${picture[@]}" -interlace PNG "PNG24:$out/interlaced.png"
