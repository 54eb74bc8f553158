# |error| against h for the mesh-refinement study of teste1.txt; run: gnuplot <this file>
set terminal pngcairo size 900,640 enhanced font 'Sans,11'
set output 'teste1.txt-study.png'
set title 'teste1.txt: esquema 1, fonte 0, Re = 10, beta = 1, itmax 50, Newton' noenhanced
set logscale xy
set format y '10^{%L}'
set xlabel 'h = 1/N'
set ylabel '|error| = |exact - numerical|'
set grid
set key bottom right
set xrange [4.166667e-03:7.500000e-02]
h0 = 5.0000000000000003e-02
e0 = 8.8363978777526553e-02
set xtics ('1/20' 5.0000000000000003e-02, '1/40' 2.5000000000000001e-02, '1/80' 1.2500000000000001e-02, '1/160' 6.2500000000000003e-03)
$variable1 << EOD
5.0000000000000003e-02 4.8926441064974791e-03 0
2.5000000000000001e-02 2.4901540631064312e-03 0
1.2500000000000001e-02 1.2558324433727952e-03 0
6.2500000000000003e-03 6.3057493718277069e-04 0
EOD
$variable2 << EOD
5.0000000000000003e-02 4.1926991321686868e-03 0
2.5000000000000001e-02 2.1167833141753634e-03 0
1.2500000000000001e-02 1.0635817148997861e-03 0
6.2500000000000003e-03 5.3309721262678744e-04 0
EOD
$variable3 << EOD
5.0000000000000003e-02 8.8363978777526553e-02 0
2.5000000000000001e-02 5.0672091050426138e-02 0
1.2500000000000001e-02 2.7114773409784965e-02 0
6.2500000000000003e-03 1.4004536823662539e-02 0
EOD
$variable4 << EOD
5.0000000000000003e-02 3.9843744788741328e-03 0
2.5000000000000001e-02 2.0647005233686254e-03 0
1.2500000000000001e-02 1.0505609154746493e-03 0
6.2500000000000003e-03 5.2984200641255700e-04 0
EOD
$variable5 << EOD
5.0000000000000003e-02 4.5467678148000748e-03 0
2.5000000000000001e-02 2.3519843914515553e-03 0
1.2500000000000001e-02 1.1968587423321735e-03 0
6.2500000000000003e-03 6.0382783598075048e-04 0
EOD
$variable6 << EOD
5.0000000000000003e-02 6.8240520324642784e-03 0
2.5000000000000001e-02 3.5638651796714438e-03 0
1.2500000000000001e-02 1.8205474096907315e-03 0
6.2500000000000003e-03 9.2013434294280216e-04 0
EOD
plot $variable1 using 1:2 with lines linecolor 1 title 'u(1/2)' noenhanced, \
     $variable1 using 1:($3 == 0 ? $2 : NaN) with points pointtype 7 linecolor 1 notitle, \
     $variable1 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 linecolor 1 notitle, \
     $variable2 using 1:2 with lines linecolor 2 title 'u_media' noenhanced, \
     $variable2 using 1:($3 == 0 ? $2 : NaN) with points pointtype 7 linecolor 2 notitle, \
     $variable2 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 linecolor 2 notitle, \
     $variable3 using 1:2 with lines linecolor 3 title 'inclinacao(1)' noenhanced, \
     $variable3 using 1:($3 == 0 ? $2 : NaN) with points pointtype 7 linecolor 3 notitle, \
     $variable3 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 linecolor 3 notitle, \
     $variable4 using 1:2 with lines linecolor 4 title 'L1(e)' noenhanced, \
     $variable4 using 1:($3 == 0 ? $2 : NaN) with points pointtype 7 linecolor 4 notitle, \
     $variable4 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 linecolor 4 notitle, \
     $variable5 using 1:2 with lines linecolor 5 title 'L2(e)' noenhanced, \
     $variable5 using 1:($3 == 0 ? $2 : NaN) with points pointtype 7 linecolor 5 notitle, \
     $variable5 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 linecolor 5 notitle, \
     $variable6 using 1:2 with lines linecolor 6 title 'Linf(e)' noenhanced, \
     $variable6 using 1:($3 == 0 ? $2 : NaN) with points pointtype 7 linecolor 6 notitle, \
     $variable6 using 1:($3 == 1 ? $2 : NaN) with points pointtype 6 linecolor 6 notitle, \
     e0 * (x / h0) with lines dashtype 2 linecolor 'gray40' title 'order 1', \
     e0 * (x / h0)**2 with lines dashtype 3 linecolor 'gray20' title 'order 2'
