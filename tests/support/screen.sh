# What the real-window tests share on any display server: reading the screen. Sourced by
# the X11 and Wayland driving helpers.
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

# Distinct colours in a rectangle of the screen: 1 means empty background.
colours_in() { import -window root -crop "$1" +repage -format %k info: 2>/dev/null; }
drawn() { [ "$(colours_in "$1")" -gt 1 ]; }
# The reveal: "Calculate my thoughts" is gone and "One more time please" is drawn.
revealed() { ! drawn "$calculate" && drawn "$again"; }

# place_form LEFT TOP WIDTH HEIGHT: the form in the middle of a client area of that size, as
# large as it fits. Sets $scale and the screen rectangles (WxH+X+Y) of "Calculate my
# thoughts", "One more time please", "Exit", the message line and the cards.
place_form() {
  eval "$(awk -v l="$1" -v t="$2" -v w="$3" -v h="$4" 'BEGIN {
    s = w / 545 < h / 355 ? w / 545 : h / 355
    if (s > 0.999 && s < 1.001) s = 1
    x = l + int((w - int(545 * s + 0.5)) / 2); y = t + int((h - int(355 * s + 0.5)) / 2)
    split("calculate 240 2760 1692 492 again 120 3480 1932 372 exit 4920 3480 1092 492 message 2040 2880 3132 372 cards 720 0 4416 1236", c, " ")
    printf "scale=%.3f\n", s
    for (i = 1; i in c; i += 5)   # a pixel in from each edge: the frames are shared
      printf "%s=%dx%d+%d+%d\n", c[i], c[i+3] * s / 12 - 2, c[i+4] * s / 12 - 2, x + c[i+1] * s / 12 + 1, y + c[i+2] * s / 12 + 1
  }')"
}
