// A recursive-descent evaluator over the typed text, and the conversions of a
// %float field.  Start with evalua_expresion; see adime_expresion.h.
#include "adime_expresion.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace adime {

namespace {

// Nesting deeper than this is refused rather than risking the stack.
constexpr int PROFUNDIDAD_MAXIMA = 200;
// Digits that always read back as the same float.
constexpr int DIGITOS_FLOAT = 9;

class Evaluador {
public:
	explicit Evaluador(const char *texto) : p_(texto) {}

	bool evalua(double &valor)
	{
		if (!suma(valor))
			return false;
		salta_espacios();
		return *p_ == '\0' && std::isfinite(valor);
	}

private:
	const char *p_;
	int profundidad_ = 0;

	void salta_espacios()
	{
		while (std::isspace(static_cast<unsigned char>(*p_)))
			p_++;
	}

	bool acepta(char c)
	{
		salta_espacios();
		if (*p_ != c)
			return false;
		p_++;
		return true;
	}

	using Operando = bool (Evaluador::*)(double &);

	// One level of precedence: operands of the next level joined, left to
	// right, by this level's two operators.
	bool nivel(double &v, Operando operando, char op1, char op2)
	{
		if (!(this->*operando)(v))
			return false;
		for (;;) {
			char op = acepta(op1) ? op1 : acepta(op2) ? op2 : '\0';
			double w;
			if (op == '\0')
				return true;
			if (!(this->*operando)(w) || !aplica(op, v, w))
				return false;
		}
	}

	static bool aplica(char op, double &v, double w)
	{
		switch (op) {
		case '+':
			v += w;
			return true;
		case '-':
			v -= w;
			return true;
		case '*':
			v *= w;
			return true;
		default:
			if (w == 0)
				return false;
			v /= w;
			return true;
		}
	}

	bool suma(double &v) { return nivel(v, &Evaluador::producto, '+', '-'); }
	bool producto(double &v) { return nivel(v, &Evaluador::unario, '*', '/'); }

	bool unario(double &v)
	{
		if (++profundidad_ > PROFUNDIDAD_MAXIMA)
			return false;
		bool ok;
		if (acepta('-')) {
			ok = unario(v);
			v = -v;
		} else if (acepta('+')) {
			ok = unario(v);
		} else {
			ok = primario(v);
		}
		profundidad_--;
		return ok;
	}

	bool primario(double &v)
	{
		if (acepta('('))
			return suma(v) && acepta(')');
		return numero(v);
	}

	static bool es_digito(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

	const char *salta_digitos(const char *q)
	{
		while (es_digito(*q))
			q++;
		return q;
	}

	// Only plain decimal notation: strtod alone would also take hex, inf and nan.
	bool numero(double &v)
	{
		salta_espacios();
		const char *inicio = p_;
		const char *q = salta_digitos(p_);
		bool con_digitos = q != p_;
		if (*q == '.') {
			const char *f = salta_digitos(q + 1);
			con_digitos = con_digitos || f != q + 1;
			q = f;
		}
		if (!con_digitos)
			return false;
		if (*q == 'e' || *q == 'E') {
			const char *e = q + 1;
			if (*e == '+' || *e == '-')
				e++;
			if (es_digito(*e))
				q = salta_digitos(e);
		}
		std::string cifra(inicio, q);
		v = std::strtod(cifra.c_str(), nullptr);
		p_ = q;
		return true;
	}
};

double acota(double v, const Limites &l)
{
	if (l.con_min && v < l.min)
		v = l.min;
	if (l.con_max && v > l.max)
		v = l.max;
	return v;
}

} // namespace

bool evalua_expresion(const char *texto, double &valor)
{
	double v = 0;
	if (!texto || !Evaluador(texto).evalua(v))
		return false;
	valor = v;
	return true;
}

float valor_de_texto(const char *texto, const Limites &limites)
{
	double v = 0;
	if (!evalua_expresion(texto, v) || std::fabs(v) > FLT_MAX)
		v = 0;
	return static_cast<float>(acota(v, limites));
}

std::string texto_de_float(float v)
{
	if (v == 0)
		return "0";
	char buf[64];
	for (int digitos = 1; digitos <= DIGITOS_FLOAT; digitos++) {
		std::snprintf(buf, sizeof buf, "%.*g", digitos, static_cast<double>(v));
		if (std::strtof(buf, nullptr) == v)
			break;
	}
	return buf;
}

} // namespace adime
