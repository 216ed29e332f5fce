// The reference for the number reader's tests and benchmarks: a reader
// written step by step after the original load: fgets for the title,
// "%i %f %f" for the header, a first pass with "%f " to count the samples, a
// second from the start to read them.  It trusts the file, so it is only fed
// well-formed ones; the unit tests check the real reader against it sample
// for sample, and the benchmark measures it in the same run.
#pragma once

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

struct LecturaReferencia {
	std::vector<float> Li; // Li[0] unused, as in the program
	int nptL = 0;
	float al = 0, bl = 0, maxL = 0;
	std::string comment;
};

inline int cuenta_muestras_referencia(FILE *f)
{
	int n = 0;
	float x;
	while (std::fscanf(f, "%f ", &x) == 1)
		n++;
	return n;
}

inline bool lee_referencia(const char *ruta, LecturaReferencia *r)
{
	const int tam_comment = 1000;
	char titulo[tam_comment] = "";
	FILE *f = std::fopen(ruta, "r");
	if (!f)
		return false;
	*r = LecturaReferencia();
	if (!std::fgets(titulo, tam_comment, f))
		titulo[0] = '\0';
	if (titulo[0] == '"' && std::fscanf(f, "%i %f %f", &r->nptL, &r->al, &r->bl) < 1)
		r->nptL = 0;
	if (r->nptL == 0) {
		r->nptL = cuenta_muestras_referencia(f);
		std::fclose(f);
		f = std::fopen(ruta, "r");
		if (!f)
			return false;
		int descarte;
		if (titulo[0] == '"') {
			if (!std::fgets(titulo, tam_comment, f) ||
			    std::fscanf(f, "%i %f %f", &descarte, &r->al, &r->bl) != 3) {
				std::fclose(f);
				return false;
			}
		} else {
			r->nptL++;
		}
	}
	r->Li.assign(r->nptL + 1, 0.0f);
	for (int i = 1; i <= r->nptL; i++) {
		if (std::fscanf(f, "%f ", &r->Li[i]) != 1)
			break;
		if (r->Li[i] > r->maxL)
			r->maxL = r->Li[i];
	}
	std::fclose(f);
	if (titulo[0] == '"')
		titulo[std::strlen(titulo) - 1] = '\0';
	else
		std::strcpy(titulo, "\"...\"");
	r->comment = titulo;
	return true;
}
