#!/usr/bin/env python3
"""How the viewer takes the end of a desktop session: its X server and the
program itself are sent SIGTERM at the same moment, as a session manager
does at logout, in three states (the command menu, the load dialog, a
message box).  For each state it counts the programs gone within the
deadline, the core files and the processes left.

    tools/fin_de_sesion.py [BINARY] [TRIES] [DEADLINE_S]

BINARY defaults to build/orquilo.  Not part of the test suite: it times
things, so it is run by hand on a quiet machine.
"""
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

RAIZ = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BINARIO = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(RAIZ, "build", "orquilo"))
INTENTOS = int(sys.argv[2]) if len(sys.argv) > 2 else 20
PLAZO_S = float(sys.argv[3]) if len(sys.argv) > 3 else 2.0
ESPERA_S = 30  # for the window and the dialogs to show; generous
ASENTAR_S = 0.5  # after a state shows, before the kill
MENU = "dialogo: Opciones"
CARGA = "dialogo: Fichero con datos del espectro: "


def arranca_xvfb():
    leer, escribir = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(escribir), "-screen", "0", "1024x768x24", "-noreset", "-nolisten", "tcp"],
        pass_fds=(escribir,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(escribir)
    numero = b""
    while not numero.endswith(b"\n"):
        trozo = os.read(leer, 1)
        if not trozo:
            break
        numero += trozo
    os.close(leer)
    return xvfb, ":" + numero.decode().strip()


def espera(condicion, segundos):
    fin = time.monotonic() + segundos
    while time.monotonic() < fin:
        if condicion():
            return True
        time.sleep(0.02)
    return condicion()


def tecla(pantalla, nombre):
    entorno = dict(os.environ, DISPLAY=pantalla)
    subprocess.run(["xdotool", "keydown", nombre], env=entorno, check=False)
    time.sleep(0.04)
    subprocess.run(["xdotool", "keyup", nombre], env=entorno, check=False)


def dice(carpeta, texto):
    try:
        with open(os.path.join(carpeta, ".stdout")) as f:
            return texto in f.read()
    except OSError:
        return False


def ventana_visible(pantalla):
    r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "."],
                       env=dict(os.environ, DISPLAY=pantalla), capture_output=True, text=True)
    return r.returncode == 0 and r.stdout.strip() != ""


def prepara(estado, pantalla, carpeta, programa):
    """Brings the program to the state; False if it never got there."""
    if estado == "caja":
        # A file that is not there: its message box opens at start-up.  The box
        # announces itself once it is a dialog of the program's own; Allegro's
        # old one did not, so then only the window is waited for.
        if not espera(lambda: ventana_visible(pantalla), ESPERA_S):
            return False
        espera(lambda: dice(carpeta, "dialogo: "), 3)
        return programa.poll() is None
    if not espera(lambda: dice(carpeta, MENU), ESPERA_S):
        return False
    if estado == "dialogo":
        tecla(pantalla, "l")
        return espera(lambda: dice(carpeta, CARGA), ESPERA_S)
    return True


def un_intento(estado):
    """(gone in time, core files, processes left), or None if it never got there."""
    xvfb, pantalla = arranca_xvfb()
    carpeta = tempfile.mkdtemp(prefix="orq-fin-")
    args = [BINARIO] + (["no-existe.txt"] if estado == "caja" else [])
    with open(os.path.join(carpeta, ".stdout"), "w") as out, open(os.path.join(carpeta, ".stderr"), "w") as err:
        programa = subprocess.Popen(
            args, cwd=carpeta, stdout=out, stderr=err,
            env=dict(os.environ, DISPLAY=pantalla, ORQUILO_ANUNCIOS="1"),
            preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_CORE, (resource.RLIM_INFINITY,) * 2))
    try:
        if not prepara(estado, pantalla, carpeta, programa):
            return None
        time.sleep(ASENTAR_S)
        os.kill(xvfb.pid, signal.SIGTERM)
        os.kill(programa.pid, signal.SIGTERM)
        t = time.monotonic()
        a_tiempo = espera(lambda: programa.poll() is not None, PLAZO_S)
        tardo = time.monotonic() - t  # to the poll that saw it gone: 20 ms at most late
        espera(lambda: xvfb.poll() is not None, PLAZO_S)
        quedan = (programa.poll() is None) + (xvfb.poll() is None)
        cores = [n for n in os.listdir(carpeta) if n.startswith("core")]
        como = programa.poll()
        como = None if como is None else "signal %d" % -como if como < 0 else "status %d" % como
        return a_tiempo, len(cores), quedan, como, tardo if a_tiempo else None
    finally:
        for p in (programa, xvfb):
            if p.poll() is None:
                p.kill()
                p.wait()
        shutil.rmtree(carpeta, ignore_errors=True)


def main():
    print("program: %s, %d tries per state, deadline %.1f s" % (BINARIO, INTENTOS, PLAZO_S))
    for estado, nombre in (("menu", "the command menu"), ("dialogo", "the load dialog"), ("caja", "a message box")):
        a_tiempo = cores = quedan = fallidos = 0
        finales = {}
        tiempos = []
        for _ in range(INTENTOS):
            r = un_intento(estado)
            if r is None:
                fallidos += 1
                continue
            a_tiempo += r[0]
            cores += r[1]
            quedan += r[2]
            if r[3]:
                finales[r[3]] = finales.get(r[3], 0) + 1
            if r[4] is not None:
                tiempos.append(r[4])
        hechos = INTENTOS - fallidos
        print("%-17s gone within %.0f s: %2d of %d; core files: %d; processes left: %d%s" % (
            nombre + ":", PLAZO_S, a_tiempo, hechos, cores, quedan,
            "; %d never reached the state" % fallidos if fallidos else ""))
        print("  ended by: " + ", ".join("%s (%d)" % (k, v) for k, v in sorted(finales.items())) +
              ("; gone after %.2f s at most" % max(tiempos) if tiempos else ""))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
