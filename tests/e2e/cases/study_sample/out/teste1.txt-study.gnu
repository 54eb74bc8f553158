# |error| against h for the mesh-refinement study of teste1.txt; run: gnuplot <this file>
set terminal pngcairo size 900,640 enhanced font 'Sans,11'
set output 'teste1.txt-study.png'
set title 'teste1.txt: esquema 1, fonte 0, Re = 10, beta = 1, itmax 50' noenhanced
set logscale xy
set format y '10^{%L}'
set xlabel 'h = 1/N'
set ylabel '|error| = |exact - numerical|'
set grid
set key bottom right
set xrange [4.166667e-03:7.500000e-02]
h0 = 5.0000000000000003e-02
e0 = 8.7660550879658627e-02
set xtics ('1/20' 5.0000000000000003e-02, '1/40' 2.5000000000000001e-02, '1/80' 1.2500000000000001e-02, '1/160' 6.2500000000000003e-03)
$variable1 << EOD
5.0000000000000003e-02 4.8303195643381591e-03
2.5000000000000001e-02 2.0858305412127520e-03
1.2500000000000001e-02 4.9438848622884723e-04
6.2500000000000003e-03 1.1699401494036366e-04
EOD
$variable2 << EOD
5.0000000000000003e-02 4.1464470489667726e-03
2.5000000000000001e-02 1.8113324764820748e-03
1.2500000000000001e-02 4.8291103244985090e-04
6.2500000000000003e-03 3.9738065539307588e-05
EOD
$variable3 << EOD
5.0000000000000003e-02 8.7660550879658627e-02
2.5000000000000001e-02 4.5533494717849399e-02
1.2500000000000001e-02 1.6806038779769272e-02
6.2500000000000003e-03 3.5567888325400698e-03
EOD
plot $variable1 using 1:2 with linespoints pointtype 7 title 'u(1/2)' noenhanced, \
     $variable2 using 1:2 with linespoints pointtype 7 title 'u_media' noenhanced, \
     $variable3 using 1:2 with linespoints pointtype 7 title 'inclinacao(1)' noenhanced, \
     e0 * (x / h0) with lines dashtype 2 linecolor 'gray40' title 'order 1', \
     e0 * (x / h0)**2 with lines dashtype 3 linecolor 'gray20' title 'order 2'
