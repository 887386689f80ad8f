# The chart of bench/run.sh: each corpus's warm time for velatr (64-bit, and the 32-bit build
# where it ran), GNU sort with one thread and with every core, and the floor.
#   gnuplot -e "data='FILE'; out='bench/chart.png'; has32=0" bench/chart.gp
# FILE holds a row a case: name, velatr, velatr 32-bit (NaN where not run), GNU sort one
# thread, GNU sort every core, floor (seconds).
set terminal pngcairo size 1200,560 font "DejaVu Sans,11"
set output out
set title "Seconds to sort each corpus (warm, median): lower is better"
set style data histograms
set style histogram clustered gap 1
set style fill solid 0.9 border -1
set boxwidth 0.9
set key top left
set ylabel "seconds"
set yrange [0:*]
set grid ytics
set xtics rotate by -45 scale 0
# The 32-bit series only where it was timed (has32 = 1).
if (!exists("has32")) has32 = 0
if (has32) {
  plot data using 2:xtic(1) title "velatr (64-bit)" lc rgb "#2e7d32", \
       '' using 3 title "velatr (32-bit)" lc rgb "#81c784", \
       '' using 4 title "GNU sort, 1 thread" lc rgb "#1565c0", \
       '' using 5 title "GNU sort, every core" lc rgb "#90caf9", \
       '' using 6 title "floor (read, split, write)" lc rgb "#9e9e9e"
} else {
  plot data using 2:xtic(1) title "velatr" lc rgb "#2e7d32", \
       '' using 4 title "GNU sort, 1 thread" lc rgb "#1565c0", \
       '' using 5 title "GNU sort, every core" lc rgb "#90caf9", \
       '' using 6 title "floor (read, split, write)" lc rgb "#9e9e9e"
}
