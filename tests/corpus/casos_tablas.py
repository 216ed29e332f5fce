# Tables and plain lists as spreadsheets, reports and old programs write
# them: thousands marks of other locales, title and separator lines in
# quotes, missing cells, headers repeated or written as key and value,
# counts with channel labels, x printed rounded, Fortran's touching columns
# and IRAF's text spectra.  Run inside genera_corpus.py (caso, filas,
# calibracion, calibracion_x and recta in scope).


def casos_tablas():
    nan = "nan"

    # Thousands: a point among decimal commas groups thousands; French Excel
    # groups them with a no-break space (U+00A0) or a narrow one (U+202F).
    xs = ["%d,%d" % (400 + i // 2, 5 * (i % 2)) for i in range(24)]
    ys = ["1.%03d" % (37 + 11 * i) for i in range(24)]
    caso("miles-aleman.csv",
         "Wellenlänge;Intensität\n" + "".join("%s;%s\n" % t for t in zip(xs, ys)) + "412,0;987,25\n",
         formato="COLUMNAS", muestras=[y.replace(".", "") for y in ys] + ["987.25"],
         cal=calibracion_x([x.replace(",", ".") for x in xs] + ["412.0"]))
    for nombre, marca in (("miles-espacio-duro.csv", "\u00a0"), ("miles-espacio-estrecho.csv", "\u202f")):
        caso(nombre,
             "Longueur d'onde;Intensité\n" +
             "".join("%d;1%s%03d,5\n" % (500 + i, marca, 10 * i) for i in range(6)),
             formato="COLUMNAS", muestras=["1%03d.5" % (10 * i) for i in range(6)],
             cal=calibracion_x([500 + i for i in range(6)]))

    # Refused for a false reason.
    caso("titulo-entrecomillado-uvvis.csv",
         '"Sample 1 - absorbance"\nnm,Abs\n400,0.12\n401,0.15\n402,0.11\n', formato="COLUMNAS",
         muestras=filas("0.12", "0.15", "0.11"), titulo='"Sample 1 - absorbance"',
         cal=calibracion_x([400, 401, 402]))
    caso("sep-excel-entrecomillado.csv", '"sep=;"\nnm;I\n500,0;12\n500,5;14\n', formato="COLUMNAS",
         muestras=filas("12", "14"), cal=calibracion_x([500.0, 500.5]))
    caso("cabecera-con-salto-entre-comillas.csv",
         '"Wavelength\n(nm)","Intensity\n(counts)"\n400,10\n401,11\n402,12\n', formato="COLUMNAS",
         muestras=filas("10", "11", "12"), cal=calibracion_x([400, 401, 402]))
    caso("columna-vacia-en-medio.csv", "400,,0.12\n401,,0.15\n402,,0.11\n403,,0.19\n",
         formato="COLUMNAS", muestras=filas("0.12", "0.15", "0.11", "0.19"),
         cal=calibracion_x([400, 401, 402, 403]))

    # Partial reads that read on.
    caso("celdas-ausentes.csv", "nm,I\n400,1\n401,\n402,NA\n403,#N/A\n404,#DIV/0!\n405,6\n",
         formato="COLUMNAS", muestras=filas("1", nan, nan, nan, nan, "6"),
         cal=calibracion_x([400, 401, 402, 403, 404, 405]))
    caso("r-write-csv-con-na.csv",
         '"","wavelength","intensity"\n"1",400,207.7\n"2",400.5,NA\n"3",401,225.7\n"4",401.5,NA\n',
         formato="COLUMNAS", muestras=filas("207.7", nan, "225.7", nan),
         cal=calibracion_x([400, 400.5, 401, 401.5]))
    rx = ["%.2f" % (600 + 0.25 * i) for i in range(120)]
    ry = [str(300 + (i * 17) % 41) for i in range(120)]
    paginas = "".join(("Energy Counts\n" if i % 50 == 0 else "") + "%s %s\n" % (rx[i], ry[i])
                      for i in range(120))
    caso("cabecera-repetida-cada-50.txt", "Report\n" + paginas, formato="COLUMNAS", muestras=ry,
         cal=calibracion_x(rx))
    caso("cabecera-clave-valor.csv",
         "Sample\nABC-12\nIntegration time (ms)\n100\nScans\n3\nnm,I\n400,5\n401,6\n402,7\n",
         formato="COLUMNAS", muestras=filas("5", "6", "7"), cal=calibracion_x([400, 401, 402]))
    cuentas = [str(50 + (i * 29) % 97) for i in range(24)]
    caso("xrd-uxd-counts.uxd",
         "; Bruker XRD\n_FILEVERSION=1\n_START=10.0\n_STEPSIZE=0.02\n_STEPCOUNT=24\n_COUNTS\n" +
         "".join(" ".join(cuentas[j:j + 8]) + "\n" for j in range(0, 24, 8)),
         muestras=cuentas)
    caso("fin-dos-tabla.csv", "nm,I\r\n400,5\r\n401,6\r\n402,7\r\n\x1a", formato="COLUMNAS",
         muestras=filas("5", "6", "7"), linea=0)
    caso("fin-dos-propio.txt", "5\r\n6\r\n7\r\n\x1a", formato="PROPIO", muestras=filas("5", "6", "7"),
         linea=0)

    # x printed rounded, so that it repeats: a table all the same, calibrated
    # by the least-squares line of what was printed.
    for nombre, paso, n in (("x-redondeada-paso-005.txt", 0.05, 200),
                            ("x-redondeada-paso-009.txt", 0.09, 400)):
        rx = ["%.1f" % (300 + paso * i) for i in range(n)]
        ry = [str(1000 + (i * 37) % 101) for i in range(n)]
        a, b = recta(list(range(n)), [float(x) for x in rx])
        caso(nombre, "".join("%s %s\n" % t for t in zip(rx, ry)), formato="COLUMNAS", muestras=ry,
             cal=calibracion(a, b))

    # Counts several to a row under a channel label, a title or a _COUNTS line.
    cuentas = [str(200 + (i * 53) % 89) for i in range(50)]
    caso("etiqueta-y-10-cuentas.txt",
         "".join("%d %s\n" % (j, " ".join(cuentas[j:j + 10])) for j in range(0, 50, 10)),
         muestras=cuentas)
    caso("genie-spectrum-listing.txt",
         "                         Spectrum Listing\n\n  Sample ID : S-17\n  Live time : 300 s\n\n" +
         "".join("%6d:%s\n" % (j + 1, "".join("%8s" % c for c in cuentas[j:j + 5]))
                 for j in range(0, 50, 5)),
         muestras=cuentas)
    caso("titulo-sobre-cuentas-8.txt",
         "Soil sample 12, 600 s\n" +
         "".join(" ".join(cuentas[j:j + 8]) + "\n" for j in range(0, 48, 8)),
         muestras=cuentas[:48])

    # Fortran's fixed width: a negative number touches the one before it.
    fx = ["%6.2f" % (10 + 0.25 * i) for i in range(8)]
    fy = ["%6.2f" % v for v in (-10.5, 5.25, -12.75, -3.5, 7.0, -11.25, -10.0, 2.5)]
    caso("fortran-columnas-pegadas.txt", "".join(x + y + "\n" for x, y in zip(fx, fy)),
         formato="COLUMNAS", muestras=[y.strip() for y in fy], cal=calibracion_x(fx))

    # IRAF's wspectext: FITS header cards up to END, then x and the flux.
    tarjetas = ["BITPIX  =                  -32 / Bits per pixel",
                "NAXIS   =                    1 / Number of axes",
                "NAXIS1  =                    6 / Length of axis 1",
                "OBJECT  = 'HD 12345'           / Name of the object",
                "CRVAL1  =                4000. / Starting wavelength",
                "CDELT1  =                  0.5 / Wavelength step",
                "END"]
    wx = ["%.2f" % (4000 + 0.5 * i) for i in range(6)]
    wy = ["%.4E" % (1.5e-15 * (1 + 0.1 * i)) for i in range(6)]
    caso("iraf-wspectext.txt",
         "\n".join("%-80s" % t for t in ["SIMPLE  =                    T / Fits standard"] + tarjetas) +
         "\n" + "".join("%s  %s\n" % t for t in zip(wx, wy)),
         formato="COLUMNAS", muestras=wy, cal=calibracion_x(wx))


casos_tablas()

# Labels at the edge of an int: the test of a label advancing by its row's
# counts must not overflow.
caso("etiquetas-al-borde-del-int.txt", "2147483647 5 6 7\n2147483650 8 9 10\n2147483653 1 2 3\n",
     formato="COLUMNAS", muestras=filas("5", "8", "1"))
