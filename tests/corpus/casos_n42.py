# ANSI N42.42 as instruments write it, of 2006 and of 2011: which of several
# calibrations is the energy scale, a calibration given as channel edges, a
# live time written with its zero years and months, a file cut short, and a
# tag whose attribute stands on the next line.  Run by genera_corpus.py,
# whose helpers are in scope.


def casos_n42():
    def raiz_2011(cuerpo):
        return ('<?xml version="1.0"?>\n<RadInstrumentData xmlns="http://physics.nist.gov/N42/2011/N42">\n'
                "%s</RadInstrumentData>\n" % cuerpo)

    def ecal(id_, valores, elemento="CoefficientValues"):
        return ('  <EnergyCalibration id="%s">\n    <%s>%s</%s>\n  </EnergyCalibration>\n'
                % (id_, elemento, valores, elemento))

    def medida(cuentas, referencia=None, vivo="PT10S"):
        ref = ' energyCalibrationReference="%s"' % referencia if referencia else ""
        return ('  <RadMeasurement id="M">\n    <Spectrum id="S"%s>\n'
                "      <LiveTimeDuration>%s</LiveTimeDuration>\n"
                "      <ChannelData>%s</ChannelData>\n    </Spectrum>\n  </RadMeasurement>\n"
                % (ref, vivo, cuentas))

    cuentas = "7 9 11 13"
    muestras = filas("7", "9", "11", "13")

    # 2006: the FWHM's equation comes first; the energy scale is the other.
    caso("n42-fwhm-antes-que-energia.n42",
         '<?xml version="1.0"?>\n<N42InstrumentData>\n<Measurement>\n<Spectrum>\n'
         '<Calibration Type="FWHM" FWHMUnits="keV"><Equation Model="Polynomial">\n'
         "<Coefficients>1.2 0.01</Coefficients></Equation></Calibration>\n"
         '<Calibration Type="Energy" EnergyUnits="keV"><Equation Model="Polynomial">\n'
         "<Coefficients>3 0.25</Coefficients></Equation></Calibration>\n"
         "<ChannelData>%s</ChannelData>\n</Spectrum>\n</Measurement>\n</N42InstrumentData>\n" % cuentas,
         formato="N42", muestras=muestras, cal=calibracion(3, 0.25))

    # 2011: the spectrum names the second of two energy calibrations.
    caso("n42-referencia-a-la-segunda.n42",
         raiz_2011(ecal("Vieja", "0 1") + ecal("Nueva", "-4 0.5") + medida(cuentas, "Nueva")),
         formato="N42", muestras=muestras, cal=calibracion(-4, 0.5))

    # Channel edges alone, n + 1 of them: each channel at the mean of its two.
    bordes = [10.0, 12.5, 15.0, 17.5, 20.0]
    caso("n42-solo-bordes.n42",
         raiz_2011(ecal("E", " ".join(map(str, bordes)), "EnergyBoundaryValues") + medida(cuentas, "E")),
         formato="N42", muestras=muestras,
         cal=calibracion_x([(a + b) / 2 for a, b in zip(bordes, bordes[1:])]))

    # A valid duration with its zero years, months and days (checked as a
    # live time by the unit tests).
    caso("n42-vivo-con-anos.n42", raiz_2011(ecal("E", "0 1") + medida(cuentas, "E", "P0Y0M0DT1H0M0.5S")),
         formato="N42", muestras=muestras)

    # Cut inside the counts: those that arrive whole, and a notice.
    completo = raiz_2011(ecal("E", "0 1") + medida(" ".join(str(c) for c in range(1, 257)), "E"))
    corte = completo.index(" 113 ") + 3  # within the 113th count
    caso("n42-cortado-en-las-cuentas.n42", completo[:corte], formato="N42",
         muestras=[str(c) for c in range(1, 113)], aviso="está cortado dentro de ChannelData")
    # Cut after the counts: they are all there, but the file is not whole.
    caso("n42-sin-cierres.n42", completo[:completo.index("</ChannelData>") + len("</ChannelData>\n")],
         formato="N42", muestras=[str(c) for c in range(1, 257)], aviso="está cortado")

    # An attribute on the line after its tag's name.
    caso("n42-atributo-en-otra-linea.n42",
         raiz_2011(ecal("E", "0 2") +
                   '  <RadMeasurement id="M">\n    <Spectrum id="S"\n        energyCalibrationReference="E">\n'
                   '      <ChannelData\n          compressionCode="CountedZeroes">4 0 3 5</ChannelData>\n'
                   "    </Spectrum>\n  </RadMeasurement>\n"),
         formato="N42", muestras=filas("4", "0", "0", "0", "5"), cal=calibracion(0, 2))


casos_n42()
