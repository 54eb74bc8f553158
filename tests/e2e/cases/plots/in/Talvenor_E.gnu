# Talvenor_E.gnu: error (analítico - numérico) of Talvenor_u.dat (talvenor rewrites the lines after line 6)
set encoding cp1252
screen = GPVAL_TERM eq "windows" || GPVAL_TERM eq "aqua" || ((GPVAL_TERM eq "qt" || GPVAL_TERM eq "wxt" || GPVAL_TERM eq "x11") && strlen(system("echo $DISPLAY$WAYLAND_DISPLAY")) > 0)
if (screen) { eval "set terminal ".GPVAL_TERM." persist" } else { set table $discard }
set xlabel "x"; set ylabel "erro"; set key left top; set grid; plot "Talvenor_u.dat" using 2:5 with linespoints pt 7 title "erro = analítico - numérico"
if (!screen) unset table; set terminal pngcairo size 800,600; set output "Talvenor_E.png"
