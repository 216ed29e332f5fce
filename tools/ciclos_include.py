#!/usr/bin/env python3
"""Looks for circles in the include graph of the project's own code.

Usage: ciclos_include.py [RAIZ]

Each source folder (src, espectro, ficheros, analisis, lector, curva, adime)
is a node per module: a .cpp and its .h are one module, named by their stem.
An edge runs from a module to each module whose header it includes.  Prints
every circle found (one line each) and exits 1 if there is any, else says so
and exits 0.
"""
import re
import sys
from pathlib import Path

CARPETAS = ["src", "canales", "ficheros", "analisis", "lector", "curva", "adime"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def grafo(raiz):
    cabeceras = {}
    for carpeta in CARPETAS:
        for h in (raiz / carpeta).glob("*.h"):
            cabeceras[h.name] = f"{carpeta}/{h.stem}"
    aristas = {}
    for carpeta in CARPETAS:
        for f in list((raiz / carpeta).glob("*.cpp")) + list((raiz / carpeta).glob("*.h")):
            nodo = f"{carpeta}/{f.stem}"
            for incluido in INCLUDE.findall(f.read_text(errors="replace")):
                destino = cabeceras.get(Path(incluido).name)
                if destino and destino != nodo:
                    aristas.setdefault(nodo, set()).add(destino)
    return aristas


def ciclos(aristas):
    """Strongly connected components of more than one node (Tarjan)."""
    indice, bajo, pila, en_pila, comps = {}, {}, [], set(), []
    contador = [0]

    def visita(v):
        indice[v] = bajo[v] = contador[0]
        contador[0] += 1
        pila.append(v)
        en_pila.add(v)
        for w in sorted(aristas.get(v, ())):
            if w not in indice:
                visita(w)
                bajo[v] = min(bajo[v], bajo[w])
            elif w in en_pila:
                bajo[v] = min(bajo[v], indice[w])
        if bajo[v] == indice[v]:
            comp = []
            while True:
                w = pila.pop()
                en_pila.discard(w)
                comp.append(w)
                if w == v:
                    break
            if len(comp) > 1:
                comps.append(sorted(comp))

    sys.setrecursionlimit(10000)
    for v in sorted(aristas):
        if v not in indice:
            visita(v)
    return comps


def main():
    raiz = Path(sys.argv[1] if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent)
    aristas = grafo(raiz)
    encontrados = ciclos(aristas)
    for c in encontrados:
        print("circulo:", " -> ".join(c))
    if encontrados:
        return 1
    print(f"sin circulos: {len(aristas)} modulos con includes de otros")
    return 0


if __name__ == "__main__":
    sys.exit(main())
