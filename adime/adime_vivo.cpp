// What the idle hook may do to the dialog that runs: read what its fields
// hold before OK, and change the text of a text block, so that a dialog can
// show what its fields would do while they are edited.  See adime.h.
#include "adime.h"
#include "adime_dialogo.h"

namespace {

// The running dialog behind its objects: the shortcut keeper holds it.
adime::Contexto *contexto_de(DIALOG *d)
{
	for (; d && d->proc; d++)
		if (d->proc == adime::atajos_proc)
			return static_cast<adime::Contexto *>(d->dp3);
	return nullptr;
}

} // namespace

int adime_peek(DIALOG *d, const void *variable, void *value)
{
	adime::Contexto *c = contexto_de(d);
	if (!c || !variable || !value)
		return -1;
	for (size_t i = 0; i < c->enlaces.size(); i++)
		if (c->enlaces[i].variable == variable && c->objeto_de_campo[i] >= 0) {
			adime::escribe_valor(*c, i, value);
			return 0;
		}
	return -1;
}

int adime_set_text(DIALOG *d, int field, const char *text)
{
	adime::Contexto *c = contexto_de(d);
	int n = c ? static_cast<int>(c->campos.size()) : 0;
	int i = field < 0 ? n + field : field;
	if (!c || !text || i < 0 || i >= n || c->campos[i].tipo != adime::TipoCampo::nada ||
	    c->objeto_de_etiqueta[i] < 0)
		return -1;
	c->campos[i].etiqueta = text; // the label object points at this string
	c->objetos[static_cast<size_t>(c->objeto_de_etiqueta[i])].flags |= D_DIRTY;
	return 0;
}
