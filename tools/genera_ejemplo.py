#!/usr/bin/env python3
"""Writes ejemplo/datos.txt: a neon-lamp-like spectrum for trying Orquilo.

1500 channels in the uncalibrated form (one intensity a line).  Channel c sees
wavelength (c + 5699) * 0.1 nm, i.e. 570.0 nm at channel 1 and 719.9 nm at
channel 1500, so a line at L nm peaks near channel 10 * L - 5699.  The lines
are neon's well-known red and orange lines; their heights are illustrative,
not measured.  The noise comes from a fixed seed, so the file is reproducible:

    python3 tools/genera_ejemplo.py > ejemplo/datos.txt
"""
import math
import random

CANALES = 1500
AL = 0.1      # nm per channel
BL = 5699.0   # channel offset
SIGMA_NM = 0.25
FONDO = 40.0

# (wavelength in nm, peak counts above the background)
LINEAS = [
    (585.249, 9000), (588.190, 2600), (594.483, 3900), (597.553, 1200),
    (603.000, 1500), (607.434, 2700), (609.616, 3600), (614.306, 5200),
    (616.359, 2300), (621.728, 1700), (626.650, 3300), (630.479, 1500),
    (633.443, 4200), (638.299, 4700), (640.225, 8200), (650.653, 5600),
    (653.288, 2100), (659.895, 3000), (667.828, 2400), (671.704, 2000),
    (692.947, 6500), (703.241, 7400),
]


def intensidad(canal):
    lam = (canal + BL) * AL
    pico = sum(h * math.exp(-0.5 * ((lam - l) / SIGMA_NM) ** 2) for l, h in LINEAS)
    return FONDO + 15.0 * math.sin(canal / 180.0) + pico


def main():
    rnd = random.Random(1500)
    for canal in range(1, CANALES + 1):
        media = intensidad(canal)
        ruido = rnd.gauss(0.0, math.sqrt(media))
        print(f"{max(0.0, media + ruido):.1f}")


if __name__ == "__main__":
    main()
