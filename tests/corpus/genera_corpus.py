#!/usr/bin/env python3
"""Writes the corpus of everyday spectrum files and what reading each must give.

Usage: genera_corpus.py CARPETA

Each case is a file as a spreadsheet, an instrument, R, Python or a person
writes it, and its expected outcome: the format, the samples (converted here
by the C library's strtof, never by the reader under test), the calibration,
the line that stopped the load, a piece of the message the user sees, or a
refusal.  CARPETA gets the files and esperado.tsv, one line a case:

    name  result  format  line  title  al  bl  message  samples

where "-" means "not checked", al and bl are decimals and the samples are
the hexadecimal bits of each float.
"""
import ctypes
import math
import struct
import sys
from pathlib import Path

_libc = ctypes.CDLL(None)
_libc.strtof.restype = ctypes.c_float
_libc.strtof.argtypes = [ctypes.c_char_p, ctypes.POINTER(ctypes.c_char_p)]


def f32(texto):
    """The float that C's strtof reads from the text (the reader's promise)."""
    return _libc.strtof(texto.encode(), None)


def bits(texto):
    return "%08x" % struct.unpack("<I", struct.pack("<f", f32(texto)))[0]


def recta(xs, vs):
    """The least-squares line v = a + b x."""
    n = len(xs)
    mx, mv = sum(xs) / n, sum(vs) / n
    sxx = sum((x - mx) ** 2 for x in xs)
    sxv = sum((x - mx) * (v - mv) for x, v in zip(xs, vs))
    b = sxv / sxx
    return mv - b * mx, b


def calibracion(a, b, primero=0):
    """al and bl for value = a + b·channel, the first sample being channel primero."""
    return b, a / b + primero - 1


def calibracion_x(xs):
    """A table's x as calibration: its line over the row index, which is the
    calibration when it misses no row by more than a tenth of a step and the
    best line of the table the x is kept as otherwise; None when the x turns
    back (uncalibrated)."""
    xs = [float(x) for x in xs]
    a, b = recta(list(range(len(xs))), xs)
    fallo = max(abs(x - (a + b * i)) for i, x in enumerate(xs))
    pasos = [y - x for x, y in zip(xs, xs[1:])]
    monotona = all(p > 0 for p in pasos) or all(p < 0 for p in pasos)
    return calibracion(a, b) if fallo <= 0.1 * abs(b) or monotona else None


def calibracion_polinomio(coef, canales, primero=0):
    """The best line, over the channels, of a polynomial in the file's channel."""
    cs = [primero + i for i in range(canales)]
    vs = [sum(c * ch ** k for k, c in enumerate(coef)) for ch in cs]
    a, b = recta(cs, vs)
    return calibracion(a, b, primero)


CASOS = []


def caso(nombre, contenido, resultado="BIEN", formato="-", muestras=None, linea=0,
         titulo="-", cal="-", aviso="-", ambigua="-"):
    """cal: (al, bl), None for uncalibrated, "-" for not checked; ambigua:
    whether the file may be read another way that gives another spectrum."""
    if isinstance(contenido, str):
        contenido = contenido.encode()
    CASOS.append((nombre, contenido, resultado, formato, muestras, linea, titulo, cal, aviso,
                  ambigua))


def filas(*numeros):
    return list(numeros)


# ---- The own format ------------------------------------------------------
caso("propio-una-columna.txt", "801\n804\n809\n", formato="PROPIO",
     muestras=filas("801", "804", "809"), titulo='"..."', cal=(0.0, 0.0))
caso("propio-calibrado.txt", '"Neon lamp"\n3 0.5 10\n1.5\n2.5\n3.5\n', formato="PROPIO",
     muestras=filas("1.5", "2.5", "3.5"), titulo='"Neon lamp"', cal=(0.5, 10.0))
caso("propio-texto-tras-los-datos.txt", "801\n804\nEnd of data\n809\n774\n", formato="PROPIO",
     muestras=filas("801", "804"), linea=3,
     aviso="se leyeron 2 muestras; la línea 3 no es un número")
caso("propio-calibrado-y-texto.txt", '"t"\n0 1 0\n5\n6\nfin\n', formato="PROPIO",
     muestras=filas("5", "6"), linea=5, aviso="se leyeron 2 muestras; la línea 5 no es un número")
caso("propio-dos-comentarios.txt", "# Detector A\n# 2024-05-01 10:00\n12\n15\n9\n",
     formato="PROPIO", muestras=filas("12", "15", "9"))
caso("propio-encabezado.txt", "Counts\n5\n6\n", formato="PROPIO", muestras=filas("5", "6"))
caso("propio-titulo-y-encabezado.txt", "Run 7\nCounts\n5\n6\n", formato="PROPIO",
     muestras=filas("5", "6"))
caso("propio-filas-desiguales.txt", "1 2 3\n4\n5 6\n", formato="PROPIO",
     muestras=filas("1", "2", "3", "4", "5", "6"))
caso("propio-x-sin-orden.txt", "3 1\n2 4\n5 6\n", formato="PROPIO",
     muestras=filas("3", "1", "2", "4", "5", "6"))
caso("propio-tabulador-solo.txt", "5\t6\n7\n", formato="PROPIO", muestras=filas("5", "6", "7"))
caso("propio-bom.txt", "\ufeff5\n6\n7\n", formato="PROPIO", muestras=filas("5", "6", "7"))
caso("propio-cr.txt", "5\r6\r7\r", formato="PROPIO", muestras=filas("5", "6", "7"))
caso("propio-calibrado-cr.txt", '"Mac"\r3 2 0\r1\r2\r3\r', formato="PROPIO",
     muestras=filas("1", "2", "3"), titulo='"Mac"', cal=(2.0, 0.0))
caso("propio-titulo-tras-blancos.txt", '\n"t"\n2 1 0\n1 2\n', formato="PROPIO",
     muestras=filas("2", "1", "0", "1", "2"))
caso("propio-utf16be.txt", b"\xfe\xff" + "12\n13\n".encode("utf-16-be"),
     formato="PROPIO", muestras=filas("12", "13"))
caso("propio-fuera-de-float.txt", "5\n1e300\n7\n-1e39\n", formato="PROPIO",
     muestras=filas("5", "1e300", "7", "-1e39"), aviso="muestras infinitas (escritas así o fuera del "
     "alcance de un float, como 1e300): 2, la primera la 2")
caso("vacio.txt", "", resultado="VACIO")
caso("solo-texto.txt", "hola\nmundo\n", resultado="SIN_MUESTRAS",
     aviso="no contiene ningún dato legible")

# ---- Encodings and line ends of tables ----------------------------------
caso("utf16le-csv.csv", b"\xff\xfe" + "Channel,Counts\r\n0,5\r\n1,7\r\n2,9\r\n".encode("utf-16-le"),
     formato="COLUMNAS", muestras=filas("5", "7", "9"), cal=calibracion(0, 1))
caso("utf16le-sin-marca.csv", "Channel,Counts\r\n0,5\r\n1,7\r\n2,9\r\n".encode("utf-16-le"),
     formato="COLUMNAS", muestras=filas("5", "7", "9"), cal=calibracion(0, 1))
caso("utf16be-sin-marca.txt", "12\n13\n14\n".encode("utf-16-be"), formato="PROPIO",
     muestras=filas("12", "13", "14"))
caso("relleno-de-nulos.csv", b"nm,I\n500,3\n501,4\n502,5\n" + bytes(300), formato="COLUMNAS",
     muestras=filas("3", "4", "5"), cal=calibracion(500, 1))
caso("fin-de-dos.txt", b"5\r\n6\r\n7\r\n\x1a", formato="PROPIO", muestras=filas("5", "6", "7"))
caso("bom-csv-sin-cabecera.csv", "\ufeff400.5,12\n401.0,15\n401.5,11\n", formato="COLUMNAS",
     muestras=filas("12", "15", "11"), cal=calibracion_x(["400.5", "401.0", "401.5"]))
caso("cr-csv.csv", "nm,I\r500,3\r501,4\r502,5\r", formato="COLUMNAS",
     muestras=filas("3", "4", "5"), cal=calibracion_x([500, 501, 502]))

# ---- Headers ------------------------------------------------------------
caso("r-write-table.txt",
     '"wavelength" "intensity"\n400.00 207.7\n400.25 232.6\n400.50 225.7\n400.75 227.5\n',
     formato="COLUMNAS", muestras=filas("207.7", "232.6", "225.7", "227.5"),
     titulo='"r-write-table.txt"', cal=calibracion_x(["400.00", "400.25", "400.50", "400.75"]))
caso("r-write-csv.csv",
     '"","wavelength","intensity"\n"1",400,207.7\n"2",400.5,232.6\n"3",401,225.7\n',
     formato="COLUMNAS", muestras=filas("207.7", "232.6", "225.7"),
     cal=calibracion_x([400, 400.5, 401]),
     aviso="x es la 2 (wavelength) y la intensidad la 3 (intensity)")
caso("cabecera-entrecomillada.csv", '"Wavelength","Intensity"\n400.0,10\n400.5,11\n',
     formato="COLUMNAS", muestras=filas("10", "11"), cal=calibracion_x([400.0, 400.5]))
caso("numeros-entrecomillados.csv", '"x","y"\n"1.5","10"\n"2.0","11"\n"2.5","12"\n',
     formato="COLUMNAS", muestras=filas("10", "11", "12"), cal=calibracion_x([1.5, 2.0, 2.5]))
caso("fila-de-unidades.csv", "Energy,Counts\nkeV,cts\n1.0,5\n2.0,6\n3.0,7\n", formato="COLUMNAS",
     muestras=filas("5", "6", "7"), titulo='"Energy,Counts"', cal=calibracion_x([1, 2, 3]))
caso("titulo-sobre-la-cabecera.csv", "Espectro de la lampara\nnm;I\n500,0;12\n500,5;14\n",
     formato="COLUMNAS", muestras=filas("12", "14"), titulo='"Espectro de la lampara"',
     cal=calibracion_x([500.0, 500.5]))
caso("sep-excel.csv", "sep=;\nnm;I\n500,0;12\n500,5;14\n", formato="COLUMNAS",
     muestras=filas("12", "14"), titulo='"sep-excel.csv"', cal=calibracion_x([500.0, 500.5]))
ocean = ["Data from spectrum.txt Node", "Date: Mon May 06 10:12:33 CEST 2024", "User: lab",
         "Spectrometer: USB2000", "Trigger mode: 0", "Integration Time (sec): 1.000000E-1",
         "Scans to average: 3", "Electric dark correction enabled: false",
         "Nonlinearity correction enabled: false", "Boxcar width: 0", "XAxis mode: Wavelengths",
         "Number of Pixels in Spectrum: 4", ">>>>>Begin Spectral Data<<<<<"]
caso("instrumento-ocean.txt",
     "\r\n".join(ocean) + "\r\n200.10\t1234.5\r\n200.40\t1240.0\r\n200.70\t1251.25\r\n201.00\t1249.0\r\n"
     ">>>>>End Spectral Data<<<<<\r\n",
     formato="COLUMNAS", muestras=filas("1234.5", "1240.0", "1251.25", "1249.0"), linea=18,
     titulo='"Data from spectrum.txt Node"', cal=calibracion_x(["200.10", "200.40", "200.70", "201.00"]))
caso("tsv-cabecera-y-comentarios.tsv",
     "# exported\n\nEnergy (keV)\tCounts\n# more\n10.5\t3\n11.0\t4\n\n11.5\t5\t0.2\n",
     formato="COLUMNAS", muestras=filas("3", "4", "5"), cal=calibracion_x([10.5, 11.0, 11.5]))

# ---- Rows that break a table --------------------------------------------
caso("x-repetida.txt", "400.00 207\n400.25 232\n400.25 230\n400.50 225\n400.75 228\n",
     formato="COLUMNAS", muestras=filas("207", "232"), linea=3,
     aviso="La x de la línea 3 de x-repetida.txt se repite o vuelve atrás")
largo = ["%.2f %d" % (500 + i * 0.01, 100 + i % 50) for i in range(8000)]
largo[5999] = "%.2f %d" % (500 + 5990 * 0.01, 77)
caso("x-vuelve-atras-en-la-fila-6000.txt", "\n".join(largo) + "\n", formato="COLUMNAS",
     muestras=[r.split()[1] for r in largo[:5999]], linea=6000,
     cal=calibracion_x([r.split()[0] for r in largo[:5999]]), aviso="vuelve atrás")
caso("fila-corta.txt", "0 801 28.3\n1 804 28.4\n2 809 28.4\n3 774\n", formato="COLUMNAS",
     muestras=filas("28.3", "28.4", "28.4"), linea=4, cal=calibracion_x([801, 804, 809]),
     aviso="x es la 2 y la intensidad la 3")
caso("texto-en-la-tabla.csv", "x,y\n1,10\n2,20\n\n3,treinta\n4,40\n", formato="COLUMNAS",
     muestras=filas("10", "20"), linea=5, aviso="No se puede leer la línea 5")
caso("campo-de-mas.csv", "ch,e,n\n0,1.0,5\n1,1.5,6\n2,2.0,7,9\n", formato="COLUMNAS",
     muestras=filas("5", "6"), linea=4, cal=calibracion_x([1.0, 1.5]))
caso("coma-final.csv", "Channel,Counts,\r\n0,801,\r\n1,804,\r\n", formato="COLUMNAS",
     muestras=filas("801", "804"), cal=calibracion(0, 1))
caso("celdas-vacias-al-final.csv", "nm;I;;\n500;3;;\n501;4;;\n", formato="COLUMNAS",
     muestras=filas("3", "4"), cal=calibracion_x([500, 501]))

# ---- Commas --------------------------------------------------------------
caso("miles-entrecomillados.csv", 'Channel,Counts\n0,"8,010"\n1,"8,040"\n',
     resultado="SIN_MUESTRAS", linea=2, aviso="línea 2")
caso("miles-tras-una-fila.csv", 'Channel,Counts\n0,801\n1,"8,040"\n', formato="COLUMNAS",
     muestras=filas("801"), linea=3, aviso="No se puede leer la línea 3")
caso("punto-y-coma-con-miles.csv", "400,00;2.077,5\n400,25;2.080,0\n", formato="COLUMNAS",
     muestras=filas("2077.5", "2080.0"), cal=calibracion_x([400.00, 400.25]))
caso("coma-decimal-entre-blancos.txt", "400,00 207,75\n400,25 210,5\n400,50 199,25\n",
     formato="COLUMNAS", muestras=filas("207.75", "210.5", "199.25"),
     cal=calibracion_x([400.00, 400.25, 400.50]), aviso="decimales")
caso("coma-decimal-una-columna.txt", "207,75\r\n232,65\r\n225,75\r\n", formato="COLUMNAS",
     muestras=filas("207.75", "232.65", "225.75"), cal=None,
     aviso="las comas se leen como decimales de una sola columna")
caso("coma-que-separa.csv", "0,801\n1,804\n2,809\n", formato="COLUMNAS",
     muestras=filas("801", "804", "809"), cal=calibracion(0, 1), aviso="cada coma separa")
caso("punto-y-coma-coma-decimal.csv",
     "Longitud de onda;Intensidad\r\n500,25;1,5\r\n500,50;2,25\r\n500,75;-3,125\r\n",
     formato="COLUMNAS", muestras=filas("1.5", "2.25", "-3.125"),
     cal=calibracion_x([500.25, 500.50, 500.75]))

# ---- Columns -------------------------------------------------------------
caso("canal-energia-cuentas.csv", "channel,energy,counts\n0,1.5,10\n1,2.0,12\n2,2.5,9\n3,3.0,7\n",
     formato="COLUMNAS", muestras=filas("10", "12", "9", "7"),
     cal=calibracion_x([1.5, 2.0, 2.5, 3.0]),
     aviso="x es la 2 (energy) y la intensidad la 3 (counts)")
caso("eje-descendente.csv", "wavelength,intensity\n700,1\n699.5,2\n699,3\n", formato="COLUMNAS",
     muestras=filas("1", "2", "3"), cal=calibracion_x([700, 699.5, 699]))
caso("espacios-regulares.txt", "1 5\n2 6\n3 7\n", formato="COLUMNAS",
     muestras=filas("5", "6", "7"), cal=calibracion_x([1, 2, 3]))
xs = ["%.4f" % (1000 + i * 0.0001) for i in range(2000)]
caso("x-lineal-en-doble.txt", "".join("%s %d\n" % (x, i % 7) for i, x in enumerate(xs)),
     formato="COLUMNAS", muestras=[str(i % 7) for i in range(2000)], cal=calibracion_x(xs))
nl = ["%.6f" % (400 + i + 0.01 * i * i) for i in range(100)]
caso("x-no-lineal.csv", "nm,I\n" + "".join("%s,%d\n" % (x, i) for i, x in enumerate(nl)),
     formato="COLUMNAS", muestras=[str(i) for i in range(100)], cal=calibracion_x(nl))


# ---- .Spe and .mca -------------------------------------------------------
def spe(cabecera, datos, despues=""):
    return cabecera + "$DATA:\n" + datos + despues


cuentas = [str((i * 37) % 101) for i in range(1024)]
caso("spe-minusculas.spe", "$spec_id:\nmuestra\n$data:\n0 2\n5\n6\n7\n$ener_fit:\n1 0.5\n",
     formato="SPE", muestras=filas("5", "6", "7"), titulo='"muestra"', cal=calibracion(1, 0.5))
caso("spe-bom.spe", "\ufeff$SPEC_ID:\r\nkelp\r\n$DATA:\r\n0 1\r\n8\r\n9\r\n", formato="SPE",
     muestras=filas("8", "9"), titulo='"kelp"')
caso("spe-rango-corto.spe", spe("$SPEC_ID:\nrango\n", "0 511\n" + "\n".join(cuentas) + "\n"),
     formato="SPE", muestras=cuentas[:512], aviso="anuncia 512 cuentas y hay 512 más")
caso("spe-rango-largo.spe", spe("$SPEC_ID:\nrango\n", "0 2047\n" + "\n".join(cuentas) + "\n",
                                "$ROI:\n0\n"),
     formato="SPE", muestras=cuentas, aviso="anuncia 2048 cuentas y hay 1024")
puntos = [(10, 5.0), (100, 50.2), (1000, 499.9)]
a, b = recta([float(c) for c, _ in puntos], [e for _, e in puntos])
caso("spe-ener-data.spe",
     spe("$SPEC_ID:\npuntos\n", "5 8\n1\n2\n3\n4\n",
         "$ENER_DATA:\n3\n" + "".join("%d %.1f\n" % p for p in puntos)),
     formato="SPE", muestras=filas("1", "2", "3", "4"), cal=calibracion(a, b, 5))
caso("spe-mca-cal-cuadratico.spe",
     spe("$SPEC_ID:\ncurva\n", "5 9\n1\n2\n3\n4\n5\n", "$MCA_CAL:\n3\n10 0.5 1E-3 keV\n"),
     formato="SPE", muestras=filas("1", "2", "3", "4", "5"),
     cal=calibracion_polinomio([10, 0.5, 1e-3], 5, 5))
caso("mca-minusculas.mca", "<<pmca spectrum>>\ndescription - Algas\n<<calibration>>\n"
     "label - keV\n0 10\n10 20\n<<data>>\n1\n2\n<<end>>\n", formato="MCA",
     muestras=filas("1", "2"), titulo='"Algas"', cal=calibracion(10, 1))
caso("mca-bom.mca", "\ufeff<<PMCA SPECTRUM>>\r\nTAG - t\r\n<<DATA>>\r\n4\r\n5\r\n<<END>>\r\n",
     formato="MCA", muestras=filas("4", "5"), titulo='"t"')


# ---- Tables read as written: headers, names, marks, scans ---------------
def casos_de_tablas():
    """Tables that a first look misreads: long headers, headers that start
    with a figure, counts several to a row, columns chosen by name,
    thousands marks, Fortran exponents, scans that turn back, maps and
    blocks.  Each has one reading (or says it is ambiguous)."""
    import math
    import random

    def tabla(xs, ys, sep=" ", cabecera=""):
        return cabecera + "".join("%s%s%s\n" % (x, sep, y) for x, y in zip(xs, ys))

    xs = ["%.1f" % (400 + 0.5 * i) for i in range(20)]
    ys = [str(100 + (i * 37) % 23) for i in range(20)]

    # Cause 2: a header longer than any first look.
    larga = "".join("Comentario %d: sin datos aqui\n" % i for i in range(10000))
    caso("cabecera-de-10000-lineas.txt", tabla(xs, ys, cabecera=larga), formato="COLUMNAS",
         muestras=ys, titulo='"Comentario 0: sin datos aqui"', cal=calibracion_x(xs),
         ambigua=False)
    caso("cabecera-larga-con-nombres.csv",
         tabla(xs, ys, ",", larga + "Energy,Counts\n"), formato="COLUMNAS", muestras=ys,
         cal=calibracion_x(xs))
    canales = [str(i) for i in range(20)]
    sigmas = ["%.1f" % math.sqrt(float(y)) for y in ys]
    caso("cabecera-larga-canal-cuentas-sigma.tsv",
         larga + "Channel\tCounts\tSigma\n" +
         "".join("%s\t%s\t%s\n" % t for t in zip(canales, ys, sigmas)),
         formato="COLUMNAS", muestras=ys, cal=calibracion(0, 1), aviso="la intensidad la 2 (Counts)")

    # Cause 6: header lines that start with a date or a figure; numbers that
    # run into letters; Fortran exponents.
    caso("cabecera-con-fecha.txt", tabla(xs, ys, cabecera="2024-05-01 10:12:33\nEnergy Counts\n"),
         formato="COLUMNAS", muestras=ys, titulo='"2024-05-01 10:12:33"', cal=calibracion_x(xs))
    caso("cabecera-con-cifra.txt", tabla(xs, ys, cabecera="532 nm laser, 10 s\n"),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs))
    caso("cifra-sobre-una-columna.txt", "532 nm\n5\n6\n7\n", formato="COLUMNAS",
         muestras=filas("5", "6", "7"), cal=None)
    caso("fecha-sobre-una-columna.txt", "2023-11-02\nCounts\n15\n16\n",
         formato="COLUMNAS", muestras=filas("15", "16"), cal=None)
    caso("numero-con-unidad-en-la-tabla.txt", "Energy Counts\n1.0 5\n2.0 6cts\n3.0 7\n",
         formato="COLUMNAS", muestras=filas("5"), linea=3, aviso="No se puede leer la línea 3")
    fx = ["%.4fD+02" % (1 + 0.01 * i) for i in range(12)]
    fy = ["%.4fD+03" % (1 + 0.0068 * ((i * 7) % 5)) for i in range(12)]
    caso("fortran-exponentes.txt", tabla(fx, fy), formato="COLUMNAS",
         muestras=[y.replace("D", "E") for y in fy],
         cal=calibracion_x([x.replace("D", "E") for x in fx]))
    caso("fortran-d-minuscula.txt", "1.5d0\n2.5d0\n3.25d1\n-4.0d-1\n", formato="COLUMNAS",
         muestras=filas("1.5", "2.5", "32.5", "-0.4"), cal=None)
    caso("fortran-con-cabecera.csv", "E,N\n1.0D0,5.0D+00\n2.0D0,6.5D+00\n3.0D0,7.25D+00\n",
         formato="COLUMNAS", muestras=filas("5", "6.5", "7.25"), cal=calibracion_x([1, 2, 3]))

    # Cause 5: thousands marks are thousands, never decimals.
    caso("miles-tabulador.tsv", "Channel\tCounts\n0\t1,050\n1\t2,100\n2\t950\n3\t12,345\n",
         formato="COLUMNAS", muestras=filas("1050", "2100", "950", "12345"), cal=calibracion(0, 1),
         aviso="separador de miles", ambigua=True)
    caso("miles-punto-y-coma.csv", "nm;I\n500;1,050\n501;1,125\n502;998\n", formato="COLUMNAS",
         muestras=filas("1050", "1125", "998"), cal=calibracion_x([500, 501, 502]),
         aviso="separador de miles", ambigua=True)
    caso("decimales-de-tres-cifras-y-otros.csv", "nm;I\n500,125;1,5\n500,250;2,75\n500,375;3,0\n",
         formato="COLUMNAS", muestras=filas("1.5", "2.75", "3.0"),
         cal=calibracion_x([500.125, 500.25, 500.375]), ambigua=False)
    caso("miles-y-coma-decimal.tsv", "x\ty\n1\t1.050,5\n2\t2.100,0\n", formato="COLUMNAS",
         muestras=filas("1050.5", "2100.0"), cal=calibracion_x([1, 2]))

    # Cause 3: counts several to a row, falling or rising, read as counts.
    azar = random.Random(30)
    for k in (4, 6, 8, 10):
        cuentas = [str(max(0, int(azar.gauss(5000 * math.exp(-i / 60.0),
                                               math.sqrt(5000 * math.exp(-i / 60.0)) + 1))))
                   for i in range(k * 30)]
        texto = "".join(" ".join(cuentas[j:j + k]) + "\n" for j in range(0, len(cuentas), k))
        caso("cuentas-%d-por-fila-bajan.txt" % k, texto, formato="PROPIO", muestras=cuentas,
             aviso="cada fila tiene %d números" % k)
    sube = [str(100 + 3 * i) for i in range(40)]
    caso("cuentas-4-por-fila-suben-lisas.txt",
         "".join(" ".join(sube[j:j + 4]) + "\n" for j in range(0, 40, 4)), formato="PROPIO",
         muestras=sube, aviso="se leen todos", ambigua=True)
    ruido = [str(int(azar.gauss(200 + 20 * i, 15))) for i in range(48)]
    caso("cuentas-6-por-fila-suben.txt",
         "".join(" ".join(ruido[j:j + 6]) + "\n" for j in range(0, 48, 6)), formato="PROPIO",
         muestras=ruido, aviso="se leen todos")

    # Tables without a header stay tables when their x moves smoothly.
    baja = ["%.1f" % (700 - 0.5 * i) for i in range(20)]
    caso("tabla-sin-cabecera-x-baja.txt", tabla(baja, ys), formato="COLUMNAS", muestras=ys,
         cal=calibracion_x(baja), ambigua=False)
    curva = ["%.3f" % (400 + i + 0.01 * i * i) for i in range(30)]
    caso("tabla-sin-cabecera-x-curva.txt", tabla(curva, [str(i % 9) for i in range(30)]),
         formato="COLUMNAS", muestras=[str(i % 9) for i in range(30)], cal=calibracion_x(curva))
    caso("xy-sin-orden.txt", "3.5 10\n1.5 20\n2.5 30\n9.5 40\n", formato="PROPIO",
         muestras=filas("3.5", "10", "1.5", "20", "2.5", "30", "9.5", "40"),
         aviso="cada fila tiene 2 números", ambigua=True)

    # Cause 4: the intensity column by name, never an error, fit or background.
    caso("canal-cuentas-sigma.csv",
         "Channel,Counts,Sigma\n" + "".join("%s,%s,%s\n" % t for t in zip(canales, ys, sigmas)),
         formato="COLUMNAS", muestras=ys, cal=calibracion(0, 1),
         aviso="x es la 1 (Channel) y la intensidad la 2 (Counts)", ambigua=False)
    caso("energia-cuentas-incertidumbre.tsv",
         "Energy\tCounts\tUncertainty\n" + "".join("%s\t%s\t%s\n" % t for t in zip(xs, ys, sigmas)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 2 (Counts)")
    caso("flujo-ajuste-modelo.csv",
         "Wavelength,Flux,Fit,Model\n" +
         "".join("%s,%s,1.0,2.0\n" % (x, y) for x, y in zip(xs, ys)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 2 (Flux)")
    caso("canal-cuentas-cps.csv",
         "Channel,Counts,CPS\n" + "".join("%s,%s,%s.5\n" % (c, y, y) for c, y in zip(canales, ys)),
         formato="COLUMNAS", muestras=ys, cal=calibracion(0, 1), aviso="la intensidad la 2 (Counts)")
    caso("lambda-flux-ivar.csv",
         "lambda,flux,ivar\n" + "".join("%s,%s,0.25\n" % (x, y) for x, y in zip(xs, ys)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 2 (flux)")
    caso("energia-fondo-senal.csv",
         "Energy,Background,Signal\n" + "".join("%s,3,%s\n" % (x, y) for x, y in zip(xs, ys)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 3 (Signal)")
    caso("nombres-en-comentario.txt",
         "# wavelength  sigma  flux\n" +
         "".join("%s  %s  %s\n" % (x, s, y) for x, y, s in zip(xs, ys, sigmas)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 3 (flux)")
    # A header with lines of bare numbers that ends at "#DATA" (PerkinElmer).
    caso("cabecera-larga-nombres-en-comentario.txt",
         larga + "# wavelength  sigma  flux\n" +
         "".join("%s  %s  %s\n" % (x, s, y) for x, y, s in zip(xs, ys, sigmas)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 3 (flux)")
    caso("perkinelmer.asc",
         "PE UV       SUBTECH     SPECTRUM    ASCII       PEDS        4.00        -1\n"
         "muestra.sp\n26/12/08\n10:30:00.00\n\nLambda 35\n#GR\nnm\nA\n1.0\n0.0\n" +
         "%s\n%s\n%d\n" % (xs[0], xs[-1], len(xs)) + "#DATA\n" +
         "".join("%s\t%s\n" % (x, y) for x, y in zip(xs, ys)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs))
    caso("dos-columnas-de-cuentas.csv",
         "Counts A,Counts B\n" + "".join("%s,%d\n" % (y, 2 * int(y)) for y in ys),
         formato="COLUMNAS", muestras=ys, cal=None, aviso="x es ninguna", ambigua=True)
    caso("tres-columnas-sin-nombres.txt",
         "".join("%s %s %s\n" % (x, y, s) for x, y, s in zip(xs, ys, sigmas)),
         formato="COLUMNAS", muestras=ys, cal=calibracion_x(xs), aviso="la intensidad la 2",
         ambigua=True)

    # Cause 9: a scan that turns back stops at the turn; maps and blocks
    # load their first spectrum.
    ida = ["%d" % (500 + i) for i in range(10)] + ["%d" % (508 - i) for i in range(9)]
    caso("barrido-ida-y-vuelta.csv", tabla(ida, ys[:19], ",", "nm,I\n"), formato="COLUMNAS",
         muestras=ys[:10], linea=12, cal=calibracion_x(ida[:10]), aviso="vuelve atrás")
    caso("barrido-ida-y-vuelta-sin-cabecera.txt", tabla(ida, ys[:19]), formato="COLUMNAS",
         muestras=ys[:10], linea=11, cal=calibracion_x(ida[:10]), aviso="vuelve atrás")
    onda = ["%.1f" % (1500 - 2.5 * i) for i in range(8)]
    mapa = "".join("%d\t%d\t%s\t%s\n" % (px, 0, w, ys[(px * 8 + i) % 20])
                   for px in range(3) for i, w in enumerate(onda))
    primeras = [ys[i % 20] for i in range(8)]
    caso("mapa-raman.txt", "X\tY\tWave\tIntensity\n" + mapa, formato="COLUMNAS",
         muestras=primeras, linea=10, cal=calibracion_x(onda), aviso="vuelve atrás")
    caso("mapa-raman-sin-cabecera.txt", mapa, formato="COLUMNAS", muestras=primeras, linea=9,
         cal=calibracion_x(onda), aviso="varios espectros")
    caso("bloques-con-titulo.txt",
         "Spectrum 1\nE C\n1 5\n2 6\n3 7\nSpectrum 2\nE C\n1 8\n2 9\n3 10\n",
         formato="COLUMNAS", muestras=filas("5", "6", "7"), linea=6,
         aviso="No se puede leer la línea 6")
    caso("bloques-seguidos.csv", "E,C\n1,5\n2,6\n3,7\n1,8\n2,9\n3,10\n", formato="COLUMNAS",
         muestras=filas("5", "6", "7"), linea=5, cal=calibracion_x([1, 2, 3]), aviso="vuelve atrás")

    # Commas that may separate or be decimals: the other reading is offered.
    caso("comas-dos-lecturas.csv", "5,25\n6,50\n7,75\n", formato="COLUMNAS",
         muestras=filas("25", "50", "75"), cal=calibracion_x([5, 6, 7]), aviso="cada coma separa",
         ambigua=True)


casos_de_tablas()


# ---- Instruments' own formats and binary files --------------------------
def casos_de_instrumentos():
    """JCAMP-DX, N42, IEC 1455, EMSA/MAS, Canberra .tka, ORTEC .chn, and the
    binary files that are refused naming their kind."""
    import gzip
    import io
    import zipfile

    ys = [10, 12, 15, 15, 15, 14, 9, 4, 4, 4, 4, 6, 30, 120, 95, 20]

    def jcamp(cabecera, datos, titulo="muestra"):
        return "##TITLE= %s\n##JCAMP-DX= 4.24\n%s%s##END=\n" % (titulo, cabecera, datos)

    def sqz(v):
        t = str(abs(v))
        return ("@ABCDEFGHI" if v >= 0 else " abcdefghi")[int(t[0])] + t[1:]

    def dif(d):
        t = str(abs(d))
        return ("%JKLMNOPQR" if d >= 0 else " jklmnopqr")[int(t[0])] + t[1:]

    def dup(n):
        t = str(n)
        return " STUVWXYZs"[int(t[0])] + t[1:]

    def difdup(valores, por_linea):
        """Lines of DIF/DUP: each opens with its x and a SQZ value, the next
        repeating the last value of the one before as its check."""
        lineas, ini = [], 0
        while ini < len(valores) - 1:
            fin = min(ini + por_linea, len(valores))
            tokens, difs = [sqz(valores[ini])], [valores[k] - valores[k - 1] for k in range(ini + 1, fin)]
            k = 0
            while k < len(difs):
                r = 1
                while k + r < len(difs) and difs[k + r] == difs[k]:
                    r += 1
                tokens.append(dif(difs[k]) + (dup(r) if r > 1 else ""))
                k += r
            lineas.append("%d %s" % (ini, "".join(tokens)))
            ini = fin - 1
        lineas.append("%d %s" % (ini, sqz(valores[ini])))  # the last check
        return "\n".join(lineas) + "\n"

    rango = "##XFACTOR= 1\n##FIRSTX= 0\n##LASTX= %d\n##NPOINTS= %d\n" % (len(ys) - 1, len(ys))
    caso("jcamp-affn.jdx",
         jcamp("##XFACTOR= 1.0\n##YFACTOR= 0.5\n##FIRSTX= 400\n##LASTX= 409\n##NPOINTS= 10\n"
               "##XYDATA=(X++(Y..Y))\n", "400 10 12 14 16\n404 18 20 22\n407 24 26 28\n", "IR"),
         formato="JCAMP", muestras=[str(v * 0.5) for v in range(10, 29, 2)], titulo='"IR"',
         cal=calibracion(400, 1))
    caso("jcamp-sqz.jdx", jcamp(rango + "##XYDATA=(X++(Y..Y))\n",
                                "0 " + "".join(sqz(v) for v in ys[:8]) + "\n8 " +
                                "".join(sqz(v) for v in ys[8:]) + "\n"),
         formato="JCAMP", muestras=[str(v) for v in ys], cal=calibracion(0, 1))
    caso("jcamp-dif-dup.jdx", jcamp(rango + "##YFACTOR= 2\n##XYDATA=(X++(Y..Y))\n", difdup(ys, 6)),
         formato="JCAMP", muestras=[str(2 * v) for v in ys], cal=calibracion(0, 1))
    caso("jcamp-negativos-pac.jdx", jcamp(rango + "##XYDATA=(X++(Y..Y))\n",
                                          "0+5-3+2-7 0 1\n6-1-1-1-1\n10 2E+01 3 4 5 6 7\n"),
         formato="JCAMP", muestras=filas("5", "-3", "2", "-7", "0", "1", "-1", "-1", "-1", "-1",
                                         "20", "3", "4", "5", "6", "7"), cal=calibracion(0, 1))
    caso("jcamp-deltax-cr-lf.jdx",
         jcamp("##FIRSTX= 1000.5\r\n##DELTAX= -0.25\r\n##XYDATA=(X++(Y..Y)) $$ counts\r\n",
               "1000.5 7 8 9 $$ first line\r\n999.75 10 11\r\n").replace("\n", "\r\n").replace("\r\r", "\r"),
         formato="JCAMP", muestras=filas("7", "8", "9", "10", "11"), cal=calibracion(1000.5, -0.25))
    def difdup_sin_control(valores, por_linea):
        lineas = []
        for ini in range(0, len(valores), por_linea):
            trozo = valores[ini:ini + por_linea]
            fichas = [sqz(trozo[0])] + [dif(trozo[k] - trozo[k - 1]) for k in range(1, len(trozo))]
            lineas.append("%d %s" % (ini, "".join(fichas)))
        return "\n".join(lineas) + "\n"

    largos = [10 + (i * 7) % 13 for i in range(1801)]
    caso("jcamp-dif-sin-control.jdx",
         jcamp("##FIRSTX= 0\n##LASTX= 1800\n##NPOINTS= 1801\n##XYDATA=(X++(Y..Y))\n",
               difdup_sin_control(largos, 10)),
         formato="JCAMP", muestras=[str(v) for v in largos], cal=calibracion(0, 1))
    caso("jcamp-dif-sin-control-ni-rango.jdx",
         jcamp("##XYDATA=(X++(Y..Y))\n", difdup_sin_control(largos, 10)),
         formato="JCAMP", muestras=[str(v) for v in largos], cal=calibracion(0, 1))
    caso("jcamp-x-en-cada-linea.jdx",
         jcamp("##XYDATA=(X++(Y..Y))\n", "100 1 2 3 4\n102 5 6 7 8\n104 9 10\n"),
         formato="JCAMP", muestras=filas("1", "2", "3", "4", "5", "6", "7", "8", "9", "10"),
         cal=calibracion(100, 0.5))
    caso("jcamp-coma-decimal.jdx",
         jcamp("##FIRSTX= 400,5\n##LASTX= 402,5\n##NPOINTS= 5\n##XYDATA=(X++(Y..Y))\n",
               "400,5 1,5 2,25 3\n402 4,5 5\n"),
         formato="JCAMP", muestras=filas("1.5", "2.25", "3", "4.5", "5"), cal=calibracion(400.5, 0.5))
    paginas = ("##TITLE= RMN\n##JCAMP-DX= 5.01\n##DATA TYPE= NMR SPECTRUM\n##NTUPLES= NMR SPECTRUM\n"
               "##VAR_NAME= FREQUENCY, SPECTRUM/REAL, SPECTRUM/IMAG, PAGE NUMBER\n"
               "##SYMBOL= X, R, I, N\n##VAR_TYPE= INDEPENDENT, DEPENDENT, DEPENDENT, PAGE\n"
               "##VAR_FORM= AFFN, ASDF, ASDF, AFFN\n##VAR_DIM= 4, 4, 4, 2\n"
               "##FIRST= 100, 0, 0, 1\n##LAST= 97, 0, 0, 2\n##FACTOR= 0.5, 2, 3, 1\n"
               "##PAGE= N=1\n##NPOINTS= 4\n##DATA TABLE= (X++(R..R)), XYDATA\n200 1 2 3 4\n"
               "##PAGE= N=2\n##NPOINTS= 4\n##DATA TABLE= (X++(I..I)), XYDATA\n200 9 9 9 9\n"
               "##END NTUPLES= NMR SPECTRUM\n##END=\n")
    caso("jcamp-ntuples.jdx", paginas, formato="JCAMP", muestras=filas("2", "4", "6", "8"),
         titulo='"RMN"', cal=calibracion(100, -1), aviso="se carga la primera, SPECTRUM/REAL")
    estrecho = [100 + i % 9 for i in range(2048)]
    caso("jcamp-rango-estrecho.jdx",
         jcamp("##FIRSTX= 500.00\n##LASTX= 500.10\n##NPOINTS= 2048\n##XYDATA=(X++(Y..Y))\n",
               "".join("%.6f %s\n" % (500 + 0.1 * i / 2047, " ".join(map(str, estrecho[i:i + 8])))
                       for i in range(0, 2048, 8))),
         formato="JCAMP", muestras=[str(v) for v in estrecho], cal=calibracion(500.0, 0.1 / 2047))
    caso("jcamp-xypoints.jdx", jcamp("##XFACTOR= 0.5\n##XYPOINTS=(XY..XY)\n",
                                     "1, 5; 2, 6\n3, 7\n4,8\n"),
         formato="JCAMP", muestras=filas("5", "6", "7", "8"), cal=calibracion_x([0.5, 1.0, 1.5, 2.0]))
    caso("jcamp-dos-bloques.jdx",
         jcamp(rango + "##XYDATA=(X++(Y..Y))\n", " ".join(map(str, [0] + ys)) + "\n"
               "##XYDATA=(X++(Y..Y))\n0 1 2 3\n"),
         formato="JCAMP", muestras=[str(v) for v in ys], aviso="tiene 2 tablas de datos")
    caso("jcamp-npoints-de-mas.jdx", jcamp("##FIRSTX= 0\n##LASTX= 9\n##NPOINTS= 10\n"
                                           "##XYDATA=(X++(Y..Y))\n", "0 1 2 3 4 5\n"),
         formato="JCAMP", muestras=filas("1", "2", "3", "4", "5"), aviso="anuncia 10 puntos y hay 5")
    caso("jcamp-linea-rota.jdx", jcamp(rango + "##XYDATA=(X++(Y..Y))\n", "0 1 2 3\n3 4 5 ! 6\n"),
         formato="JCAMP", muestras=filas("1", "2", "3"), aviso="No se puede leer la cuenta 4")

    def n42(calibracion_xml, espectros, raiz="RadInstrumentData"):
        return ('<?xml version="1.0"?>\n<%s xmlns="http://physics.nist.gov/N42/2011/N42">\n%s%s</%s>\n'
                % (raiz, calibracion_xml, "".join(espectros), raiz))

    def espectro(datos, vivo="PT120.5S", ceros=False):
        return ('  <RadMeasurement id="M%d">\n    <Spectrum id="S">\n'
                '      <LiveTimeDuration>%s</LiveTimeDuration>\n'
                '      <ChannelData%s>%s</ChannelData>\n    </Spectrum>\n  </RadMeasurement>\n'
                % (len(datos), vivo, ' compressionCode="CountedZeroes"' if ceros else "", datos))

    ecal = ('  <EnergyCalibration id="E">\n    <CoefficientValues>%s</CoefficientValues>\n'
            '  </EnergyCalibration>\n')
    caso("n42-plano.n42", n42(ecal % "-1.5 0.75 0 0", [espectro("3 4 5 6 7 8")]), formato="N42",
         muestras=filas("3", "4", "5", "6", "7", "8"), titulo='"..."', cal=calibracion(-1.5, 0.75))
    caso("n42-ceros.n42", n42(ecal % "0 2", [espectro("0 3 5 0 1 7 0 2", ceros=True)]),
         formato="N42", muestras=filas("0", "0", "0", "5", "0", "7", "0", "0"), cal=calibracion(0, 2))
    caso("n42-dos-espectros.n42", n42(ecal % "0 1", [espectro("1 2 3"), espectro("9 9 9 9")]),
         formato="N42", muestras=filas("1", "2", "3"), aviso="tiene 2 espectros: se carga el primero")
    caso("n42-2006-en-lineas.n42",
         '<?xml version="1.0"?>\n<N42InstrumentData>\n<Measurement>\n<Spectrum>\n'
         "<LiveTime>PT1M30S</LiveTime>\n<Calibration Type=\"Energy\"><Equation>\n"
         "<Coefficients>\n2 0.5\n</Coefficients></Equation></Calibration>\n"
         "<ChannelData>\n 11 12\n 13\n 14\n</ChannelData>\n</Spectrum>\n</Measurement>\n"
         "</N42InstrumentData>\n",
         formato="N42", muestras=filas("11", "12", "13", "14"), cal=calibracion(2, 0.5))
    caso("n42-en-una-linea.n42", n42(ecal % "0 1", [espectro("4 5 6")]).replace("\n", ""),
         formato="N42", muestras=filas("4", "5", "6"), cal=calibracion(0, 1))
    caso("n42-cuadratico.n42", n42(ecal % "0 1 0.001", [espectro("0 99 1", ceros=True)]),
         formato="N42", muestras=["0"] * 99 + ["1"], cal=calibracion_polinomio([0, 1, 0.001], 100))

    def iec(cuentas, canales, coef="%15.8E%15.8E%15.8E%15.8E" % (1.0, 0.5, 0.0, 0.0)):
        lineas = ["A004LAB    HPGE   0   0     0", "A004%12.2f%12.2f%6d" % (100.25, 110.0, canales),
                  "A00401/02/24 10:00:00 01/02/24 10:01:50", "A004" + coef, "A004" + "%15.8E" % 2 * 4,
                  "A004%60s" % "Suelo de prueba", "A004", "A004"]
        lineas += ["A004%6d" % i + "".join("%10d" % c for c in cuentas[i:i + 5])
                   for i in range(0, len(cuentas), 5)]
        return "\r\n".join(lineas) + "\r\n"

    cuentas_iec = [7, 9, 11, 13, 15, 17, 19, 21, 23, 25, 0, 0]
    caso("iec-pequeno.iec", iec(cuentas_iec, 11), formato="IEC",
         muestras=[str(c) for c in cuentas_iec[:11]], titulo='"Suelo de prueba"', cal=calibracion(1, 0.5))
    caso("iec-relleno-con-cuentas.iec", iec(cuentas_iec[:10] + [3, 4], 10), formato="IEC",
         muestras=[str(c) for c in cuentas_iec[:10]], aviso="anuncia 10 cuentas y hay 2 más")

    con_blanco = iec(cuentas_iec, 11).replace("\r\n", "\r\n\r\n", 1)
    caso("iec-linea-en-blanco.iec", con_blanco, formato="IEC", muestras=[str(c) for c in cuentas_iec[:11]],
         titulo='"Suelo de prueba"', cal=calibracion(1, 0.5))
    caso("iec-rango-estrecho.iec", iec(cuentas_iec, 11, "%15.8E%15.8E%15.8E%15.8E" % (500, 4.88519785e-05, 0, 0)),
         formato="IEC", muestras=[str(c) for c in cuentas_iec[:11]], cal=calibracion(500, 4.88519785e-05))
    caso("tka-solo-tiempos.tka", "3600\n3702\n", resultado="SIN_MUESTRAS")

    # Instruments write files far past detection's first look: 16384 channels.
    grandes = [1000 + (i * 7919) % 5003 - (i % 7) * 100 for i in range(16384)]
    caso("iec-16384.iec", iec(grandes, 16384), formato="IEC", muestras=[str(c) for c in grandes],
         cal=calibracion(1, 0.5))
    caso("n42-16384-en-una-linea.n42", n42(ecal % "0 0.25", [espectro(" ".join(map(str, grandes)))]),
         formato="N42", muestras=[str(c) for c in grandes], cal=calibracion(0, 0.25))
    suaves = [int(50000 + 30000 * math.sin(i / 40.0)) + (i * 37) % 501 for i in range(16001)]
    caso("jcamp-dif-dup-16001.jdx",
         jcamp("##XFACTOR= 1\n##FIRSTX= 0\n##LASTX= 16000\n##NPOINTS= 16001\n##XYDATA=(X++(Y..Y))\n",
               difdup(suaves, 10)),
         formato="JCAMP", muestras=[str(v) for v in suaves], cal=calibracion(0, 1))

    emsa = ("#FORMAT      : EMSA/MAS Spectral Data File\r\n#VERSION     : 1.0\r\n"
            "#TITLE       : Cobre puro\r\n#NPOINTS     : %d.\r\n#NCOLUMNS    : 2.\r\n"
            "#XUNITS      : eV\r\n#DATATYPE    : %s\r\n#XPERCHAN    : 10.0\r\n#OFFSET      : -200.0\r\n"
            "#LIVETIME  -s: 60.5\r\n#SPECTRUM    : Spectral Data Starts Here\r\n%s"
            "#ENDOFDATA   : End Of Data and File\r\n")
    caso("emsa-y.msa", emsa % (5, "Y", "1., 2.\r\n3., 4.5\r\n7.\r\n"), formato="EMSA",
         muestras=filas("1", "2", "3", "4.5", "7"), titulo='"Cobre puro"', cal=calibracion(-200, 10))
    caso("emsa-xy.msa", emsa % (3, "XY", "-200., 5\r\n-190., 6\r\n-180., 8\r\n"), formato="EMSA",
         muestras=filas("5", "6", "8"), cal=calibracion_x([-200, -190, -180]))
    caso("emsa-npoints-distinto.msa", emsa % (4, "Y", "1, 2\r\n3\r\n"), formato="EMSA",
         muestras=filas("1", "2", "3"), aviso="#NPOINTS anuncia 4 valores y hay 3")
    caso("emsa-fila-ilegible.msa", emsa % (4, "Y", "1, 2\r\n3, x\r\n4\r\n"), formato="EMSA",
         muestras=filas("1", "2"), aviso="No se puede leer la cuenta 3")

    caso("canberra.tka", "3600\n3702\n5\n6\n7\n", formato="TKA", muestras=filas("5", "6", "7"))
    caso("canberra-texto-al-final.tka", "10\r\n12\r\n5\r\n6\r\nfin\r\n", formato="TKA",
         muestras=filas("5", "6"), aviso="No se puede leer la cuenta 3")

    def chn(cuentas, trailer=True, desde=0, a=-0.5, b=0.25):
        cabecera = struct.pack("<hhh2sii8s4shH", -1, 1, 1, b"00", 6000, 5000, b"08Dec261",
                               b"1200", desde, len(cuentas))
        cola = struct.pack("<hh3f", -102, 0, a, b, 0.0).ljust(0x140, b"\0")
        cola += bytes([len("Muestra de arena")]) + b"Muestra de arena".ljust(63, b"\0")
        return cabecera + struct.pack("<%dI" % len(cuentas), *cuentas) + (cola.ljust(512, b"\0") if trailer else b"")

    caso("pequeno.chn", chn([0, 3, 8, 4000000, 2]), formato="CHN",
         muestras=filas("0", "3", "8", "4000000", "2"), titulo='"Muestra de arena"',
         cal=calibracion(-0.5, 0.25))
    caso("chn-desde-el-canal-100.chn", chn([1, 2], desde=100), formato="CHN", muestras=filas("1", "2"),
         cal=calibracion(-0.5, 0.25, 100))
    caso("chn-sin-cola.chn", chn([1, 2, 3], trailer=False), resultado="CHN_DANADO",
         aviso="ORTEC .chn incompleto")

    texto = "".join("%d\n" % v for v in ys).encode()
    caso("cuentas.txt.gz", gzip.compress(texto, mtime=0), resultado="GZIP", aviso="comprimido con gzip")
    zbuf = io.BytesIO()
    with zipfile.ZipFile(zbuf, "w") as z:
        z.writestr("cuentas.txt", texto)
    caso("cuentas.zip", zbuf.getvalue(), resultado="ZIP", aviso="archivo zip")
    caso("imagen.fits", ("SIMPLE  =                    T" + " " * 50 + "END").ljust(2880).encode() +
         bytes(2880), resultado="FITS", aviso="FITS")
    cnf = bytearray(0x400)
    cnf[0:4] = b"\x00\x04\x04\x00"
    cnf[0x1E:0x1E + 10] = b"Associated"
    caso("espectro.cnf", bytes(cnf), resultado="CNF", aviso="Canberra CNF")
    caso("datos-binarios.dat", b"12\n" + bytes(range(256)) * 4, resultado="BINARIO", aviso="es binario")


casos_de_instrumentos()

# Cases kept in files of their own (casos_*.py beside this one), each run here
# with this module's helpers in scope.
for _otro in sorted(Path(__file__).parent.glob("casos_*.py")):
    exec(compile(_otro.read_text(encoding="utf-8"), str(_otro), "exec"), globals())


def escribe(carpeta):
    carpeta.mkdir(parents=True, exist_ok=True)
    lineas = []
    for nombre, contenido, resultado, formato, muestras, linea, titulo, cal, aviso, ambigua in CASOS:
        (carpeta / nombre).write_bytes(contenido)
        if cal == "-":
            al = bl = "-"
        elif cal is None:
            al = bl = "0"
        else:
            al, bl = repr(cal[0]), repr(cal[1])
        texto = " ".join(bits(m) for m in muestras) if muestras is not None else "-"
        dudosa = "-" if ambigua == "-" else "1" if ambigua else "0"
        lineas.append("\t".join([nombre, resultado, formato, str(linea), titulo, al, bl, aviso, texto,
                                 dudosa]))
    (carpeta / "esperado.tsv").write_text("\n".join(lineas) + "\n", encoding="utf-8")


if __name__ == "__main__":
    escribe(Path(sys.argv[1]))
