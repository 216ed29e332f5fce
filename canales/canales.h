// The loaded spectrum and everything tied to its channels: the samples and
// title, the calibration, the view, the background with its factor and the
// net view, the measured peaks and the calibration points.  Every operation
// that moves channels moves all of them together: a spectrum whose
// calibration falls is turned end for end (espeja) where that calibration is
// set, never where it is drawn.  No display and no dialogs: it builds as
// orq_canales, over the file formats (a load commits a Lectura) and the
// analysis.  Start at confirma_carga, then fija_calibracion.
#pragma once

#include <cstddef>
#include <vector>

#include "analisis.h"
#include "fichero.h"

// The measured peaks given a known wavelength, the points of the calibration
// from many lines: each one's place in picos and that wavelength.
struct PicoConocido {
	size_t pico;
	float longitud;
};

// The program's spectrum and everything tied to its channels, in one record.
struct Sesion {
	// Spectrum: Li[1..nptL]; slot 0 is never used.  nptL == 0: nothing
	// loaded.  maxL is the largest finite sample, 0 when none is above 0.
	// Calibration: a line, wavelength of channel c at (c + bl) * al, or a
	// curve whose best line al, bl hold; al == 0 is uncalibrated.  Never below 0 once set: a falling one
	// turns the spectrum.  The live time is 0 when the file gives none.
	Espectro espectro;
	// Whether the channels stand turned end for end from the file's order: a
	// background that lines up by channel number turns with them.
	bool espejado = false;
	// View window, cursor, vertical scale.
	int ch_i = 0, ch_f = 0, ch_c = 0;
	float amplia_y = 0;
	int elog = 0;
	// A background spectrum, compared with whatever spectrum is loaded: the
	// file as read (fondo.nptL == 0: none) and its path (still the path of
	// one dropped for lack of memory, so the message can name it and the
	// dialog offers it again); fondo_canal[1..nptL], its counts brought onto
	// the spectrum's channels (NaN where it has none; empty without a
	// background); the factor it is scaled by, and whether the user typed it
	// rather than taking the ratio of live times.
	Espectro fondo;
	char fichero_fondo[TAM_NOMBRE] = "";
	std::vector<float> fondo_canal;
	float factor_fondo = 1;
	bool factor_tecleado = false;
	// The net view: the plot, the cursor's reading, the peak keys and the
	// data saved show Neto[1..nptL] = spectrum - factor * background (the
	// spectrum alone where the background has no data), whose top is
	// maxNeto; Neto is empty outside the net view.
	int vista_neta = 0;
	std::vector<float> Neto;
	float maxNeto = 0;
	// The peaks measured since the last load, each marked on the plot with
	// its place in this list (1, 2, ...), and the calibration points among
	// them, which end with the next load and with a two-point calibration.
	std::vector<MedidaPico> picos;
	std::vector<PicoConocido> conocidas;
};

extern Sesion sesion;

// Moves on whenever the samples on show or the background's may have
// changed (a load, a turn, a background, the net view, the factor): the
// plot keeps summaries of them, made again when this moves.  Outside the
// record, so that a reset moves it on too.
extern unsigned version_muestras;

// The names the program has always given its state, bound to the record.
inline float *&Li = sesion.espectro.Li;
inline int &nptL = sesion.espectro.nptL;
inline float &maxL = sesion.espectro.maxL;
inline char (&comment)[TAM_NOMBRE] = sesion.espectro.comment;
inline double &al = sesion.espectro.cal.al;
inline double &bl = sesion.espectro.cal.bl;
inline double &tiempo_vivo = sesion.espectro.tiempo_vivo;
inline bool &espejado = sesion.espejado;
inline int &ch_i = sesion.ch_i;
inline int &ch_f = sesion.ch_f;
inline int &ch_c = sesion.ch_c;
inline float &amplia_y = sesion.amplia_y;
inline int &elog = sesion.elog;
inline Espectro &fondo = sesion.fondo;
inline char (&fichero_fondo)[TAM_NOMBRE] = sesion.fichero_fondo;
inline std::vector<float> &fondo_canal = sesion.fondo_canal;
inline float &factor_fondo = sesion.factor_fondo;
inline bool &factor_tecleado = sesion.factor_tecleado;
inline int &vista_neta = sesion.vista_neta;
inline std::vector<float> &Neto = sesion.Neto;
inline float &maxNeto = sesion.maxNeto;
inline std::vector<MedidaPico> &picos = sesion.picos;
inline std::vector<PicoConocido> &conocidas = sesion.conocidas;

// Puts the whole record back to its initial value (frees Li and the
// background).
void reinicia_espectro();

// The view of a whole spectrum: all of it, the cursor in the middle, no
// amplification.  The log scale stays as it was.
void vista_inicial();

// Commits a load: *l's samples, title, calibration and live time replace the
// spectrum (*l keeps no samples), the peaks and calibration points go, the
// view starts afresh, the background comes onto the new channels (its factor
// taken again from the live times unless the user typed one) and a falling
// calibration turns it all.  False when the background had to go for lack of
// memory; the spectrum is committed either way.
bool confirma_carga(Lectura *l);

// The calibration as it stands, and the wavelength of channel c under it,
// rounded to single precision as the info lines show it.
Calibracion calibracion();
float longitud_de_onda(double c);

// Sets the calibration; one that falls turns the spectrum and everything tied
// to its channels (espeja), so that wavelength grows to the right.  The
// background is brought onto the channels again.  False as confirma_carga.
bool fija_calibracion(const Calibracion &cal);

// The two-point calibration: the line through channel c1 at wavelength l1
// and c2 at l2, in single precision (al from the two points, then bl from the
// stored al), or whole when single precision would move either point by
// more than a thousandth of a channel; it replaces the calibration and ends the list of
// calibration points; nothing when c1 == c2.  Equal wavelengths uncalibrate
// (al and bl both 0).  False as confirma_carga.
bool calibra_dos_puntos(int c1, float l1, int c2, float l2);

// Turns the spectrum end for end: channel c becomes nptL + 1 - c for the
// samples, the calibration (negated, the offset moved so that each sample
// keeps its wavelength), the view (the whole spectrum, the cursor on the same
// sample), the marks and calibration points, and a background lined up by
// channel.  False as confirma_carga.
bool espeja();

// The calibration point that picos[pico] is, or null.
const PicoConocido *conocida_de(size_t pico);

// Makes picos[pico] a calibration point at `longitud` (usar) or no longer one.
void anota_conocida(size_t pico, bool usar, float longitud);

// The calibration points (centroid, known wavelength), in channel order.
std::vector<PuntoCalibracion> puntos_calibracion();

// The least-squares line through the calibration points; when there is one
// it becomes the calibration, kept whole (fija_calibracion; *con_fondo as
// its result).  Its result says why not otherwise.
AjusteCalibracion calibra_con_conocidas(bool *con_fondo);

// Puts m into the list in place of a measure of the same peak (centroids, or
// tops when unfitted, within half the wider FWHM, at least a channel), else
// at its end; m's place.  The places in `aparte` are never replaced (the
// other lines of the same measure).
size_t anota_pico(std::vector<MedidaPico> &lista, const MedidaPico &m,
                  const std::vector<size_t> &aparte = {});

// A measure at the cursor as the list holds it: the multiplet fitted, and
// the place in picos of each of its lines.
struct MedidaAnotada {
	MedidaMultiplete medida;
	std::vector<size_t> lugares;
};

// Measures the multiplet at channel c of what the view shows and marks each
// of its lines (a mark of the same peak is replaced; a failed fit is no
// calibration point); the lines of a multiplet share a tag (grupo).
MedidaAnotada mide_y_anota(int c);

// The file read into *l, found at ruta, becomes the background (*l keeps no
// samples); its factor is `factor` when the user typed it (tecleado), else
// the ratio of live times.  False as confirma_carga.
bool pon_fondo(Lectura *l, const char *ruta, float factor, bool tecleado);

// No background, no net view.
void quita_fondo();

// Brings the background onto the spectrum's channels again and remakes the
// net samples, after the channels or the calibration changed.  Out of memory
// the background goes (false).
bool reproyecta_fondo();

// Switches between the spectrum over its background and the net spectrum;
// nothing without a background.  False when the net samples found no memory
// (the view then stays as it was).
bool conmuta_neto();

// The samples on show (the net ones in the net view, else Li) and their top.
const float *muestras_vistas();
float maximo_visto();

// The background subtracted from the samples on show, or null outside the
// net view: the walk and the measure weigh net counts with it.
const FondoRestado *fondo_restado();

// Measures the multiplet at channel c of what the view shows: in the net
// view the net counts, each channel weighted with the variance of the
// difference.
MedidaMultiplete mide_visto(int c);

// The factor the counting times give: the spectrum's live time over the
// background's, or 1 when either is unknown.
float factor_de_tiempos(double vivo_espectro, double vivo_fondo);
