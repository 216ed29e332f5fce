// Orquilo's dialog layer: format-driven modal dialogs on top of Allegro 4's GUI.
// Start with adime_dialogf; the format language is described in adime_formato.h.
#pragma once

#include <allegro.h>

// Readies the layer; 0 when ready, -1 when Allegro is not installed.  The layer
// shuts down with allegro_exit().  Dialogs need a graphics mode.
int adime_init(void);

// Idle hook: called with the running dialog's objects on every pass of any
// dialog's loop (a message box's aside) in which no key is waiting.  Null for
// none.  A pass in which nothing happened (no key waiting or held, the
// pointer still, nothing to redraw) is followed by a sleep of 10 ms, in a
// message box too, so an idle window costs next to nothing while a tapped
// key is still seen.
extern void (*adime_callback)(DIALOG *d);

// Called with a dialog's title once it is first drawn on the screen, so that a
// program can tell an observer (a test) that it is up.  Null for none.
extern void (*adime_shown_callback)(const char *title);

// Called with 1 as a dialog (a message box too) starts, before it reads any
// key, and with 0 once it has closed; nested dialogs nest their calls.  A
// program that keeps keys of its own learns here when a dialog takes the
// keyboard.  Null for none.
extern void (*adime_open_callback)(int open);

// A modal dialog whose top-left corner (title bar included) is at (x, y), one
// row per format field, each input field field_w pixels wide, followed by the
// values that the fields bind.  Adds OK and Cancel: returns 1 for OK (the edited
// values are copied back) and 2 for Cancel or Esc (nothing is copied).  OK
// also takes Alt+O and Ctrl+O, Cancel Alt+C and Ctrl+C, and plain C as well
// when the dialog has no edit box that could take the letter.  A window
// that would leave the screen is moved onto it.  -1, with no dialog shown, for a
// malformed format or when there is no graphics mode.
int adime_dialogf(const char *title, int x, int y, int field_w, const char *format, ...);

// The same dialog without OK and Cancel: it closes when a %buttonrow callback
// returns non-zero, and returns the absolute value of that result (a button
// whose callback is null closes it with its own index).  Any edited values are
// copied back when it closes.  Esc does nothing unless a button has it.
int adime_lowlevel_dialogf(const char *title, int x, int y, int field_w, const char *format, ...);

// A message box: the lines of text (a null-terminated array) over a centred
// row of buttons (their texts, a null-terminated array), with title in its
// title bar and its top-left corner at (x, y), in the colours of every
// dialog.  The first button has the focus; Enter and Space press the focused
// button, Tab and the arrows move the focus, and keys[i] (a letter, either
// case; 0 for none; keys may be null) presses button i.  Returns the pressed
// button's 1-based place, or 0 for Esc, which never presses a button.  Keys
// typed before it opened are dropped, and the idle hook is not called while
// it is open: a message waits for its answer.  -1, with no box shown, when
// there is no graphics mode.
int adime_alert(const char *title, int x, int y, const char *const lines[], const char *const buttons[],
                const int keys[]);

// For the idle hook, so that a dialog can show what its fields would do
// before OK: the value that the field bound to `variable` holds now in the
// running dialog d (the hook's argument), written to `value` as OK would
// write it to `variable` (a float for %float, an int for %bool and
// %choice), `variable` itself left alone.  0, or -1 for no such field.
int adime_peek(DIALOG *d, const void *variable, void *value);

// For the idle hook: the text of the %nothing field at place `field` (its
// 0-based place among the format's fields; a negative one counts from the
// end, -1 the last) replaced by `text`, drawn again in the room the dialog
// gave it at the start: lines beyond that room are not drawn, and a line
// too long is cut as any.  0, or -1 for no such field or an empty one.
int adime_set_text(DIALOG *d, int field, const char *text);

// The callback type of a %buttonrow: gets the pressed button's object and its
// 1-based index in the row; 0 keeps the dialog open.
typedef int (*adime_buttonrow_callback)(DIALOG *d, int button);
