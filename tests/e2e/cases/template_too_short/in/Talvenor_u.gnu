# Talvenor_u.gnu: exact and numerical solutions of Talvenor_u.dat (talvenor rewrites the lines after line 8)
set encoding cp1252
screen = GPVAL_TERM eq "qt" || GPVAL_TERM eq "wxt" || GPVAL_TERM eq "x11" || GPVAL_TERM eq "windows" || GPVAL_TERM eq "aqua"
if (screen) { eval "set terminal ".GPVAL_TERM." persist" } else { set table $discard }
set xlabel "x"; set ylabel "u"; set key left top; set grid
plot "Talvenor_u.dat" using 2:3 with lines lw 2 title "analítico", "" using 2:4 with points pt 7 title "numérico"
if (!screen) unset table; set terminal pngcairo size 800,600; set output "Talvenor_u.png"
# without a display the plot goes to Talvenor_u.png
