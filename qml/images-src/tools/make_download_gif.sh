#!/bin/sh
# Makes the busy animation download.gif: twelve frames of a ring of twelve
# dots whose bright dot goes round once a second, on the light page
# background. Needs ImageMagick.
set -eu
out=${1:-download.gif}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
n=12
i=0
while [ $i -lt $n ]; do
  draw=""
  d=0
  while [ $d -lt $n ]; do
    # Age of dot d in this frame: 0 is the head, older dots fade out.
    age=$(( (i - d + n) % n ))
    alpha=$(awk "BEGIN{a=1-$age*0.075; if(a<0.18)a=0.18; printf \"%.2f\", a}")
    cx=$(awk "BEGIN{printf \"%.2f\", 16+11*sin($d*3.14159265/6)}")
    cy=$(awk "BEGIN{printf \"%.2f\", 16-11*cos($d*3.14159265/6)}")
    ex=$(awk "BEGIN{printf \"%.2f\", $cx+2.3}")
    # GIF has no partial transparency: fade towards the page background.
    col=$(awk "BEGIN{printf \"rgb(%d,%d,%d)\", 249+(26-249)*$alpha, 250+(143-250)*$alpha, 251+(201-251)*$alpha}")
    draw="$draw fill $col circle $cx,$cy $ex,$cy"
    d=$((d + 1))
  done
  convert -size 32x32 xc:none -draw "$draw" "$tmp/f$(printf %02d $i).png"
  i=$((i + 1))
done
convert -delay 8 -loop 0 -dispose Background "$tmp"/f*.png -background none "$out"
