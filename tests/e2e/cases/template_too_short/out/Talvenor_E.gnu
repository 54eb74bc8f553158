# a template cut short
set encoding cp1252
set xlabel "x"
plot "Talvenor_u.dat" using 2:5 with lines
