# Calibrations that bend: a table whose x is smooth but not straight is that
# x, one that turns back is read to where it turns; a .Spe whose $MCA_CAL
# turns back over its channels, and one whose terms are not numbers, keep
# the straight part and say so.  Run by genera_corpus.py, whose helpers are
# in scope.


def casos_curva():
    vuelve = ["%.6f" % (400 + i - 0.02 * i * i) for i in range(100)]
    caso("x-que-vuelve.csv", "nm,I\n" + "".join("%s,%d\n" % (x, i) for i, x in enumerate(vuelve)),
         formato="COLUMNAS", muestras=[str(i) for i in range(26)], linea=28,
         cal=calibracion_x(vuelve[:26]), aviso="vuelve atrás")
    logaritmica = ["%.9g" % (10 ** (3.5 + 1e-4 * i)) for i in range(300)]
    caso("x-log-lineal.csv", "lambda,flux\n" + "".join("%s,%d\n" % (x, i % 5) for i, x in
                                                      enumerate(logaritmica)),
         formato="COLUMNAS", muestras=[str(i % 5) for i in range(300)], cal=calibracion_x(logaritmica))

    def spe(cal):
        return ("$SPEC_ID:\ncurva\n$DATA:\n0 9\n" + "".join("%d\n" % i for i in range(10)) +
                "$MCA_CAL:\n3\n%s keV\n" % cal)
    caso("spe-mca-cal-vuelve.spe", spe("10 0.5 -0.1"), formato="SPE",
         muestras=[str(i) for i in range(10)], cal=calibracion(10, 0.5), aviso="vuelve atrás en el canal")
    caso("spe-mca-cal-nan.spe", spe("10 0.5 nan"), formato="SPE",
         muestras=[str(i) for i in range(10)], cal=calibracion(10, 0.5), aviso="no son números finitos")


casos_curva()
