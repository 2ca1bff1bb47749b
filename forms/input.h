#pragma once

#include <cstdint>
#include <string_view>

#include "forms/controls.h"
#include "forms/tform1.h"
#include "forms/tform2.h"

namespace palorin::forms {

// What a user does with the controls of both windows, written once for every
// front end: the desktop windows, the page, palorin-cli play, the keys and
// the files named or dropped. Each function is the data change the input
// makes plus the handler the control runs; a front end calls it as one
// handler run, through its dispatch.

// The combo boxes a user can type into or choose from: the main window's
// ComboBox1..ComboBox6 and the file window's part-number box.
enum class BoxId : std::uint8_t { Colour, SizeX, SizeY, SizeZ, Step, Mode, Part };

// The main window's box ComboBox`number` (1..6).
constexpr BoxId MainBox(int number) { return static_cast<BoxId>(number - 1); }

ComboBox& BoxOf(TForm1& form1, TForm2& form2, BoxId box);

// Whether a user can reach the box now: it is enabled, and the part-number
// box also needs the file window shown on its save page with the box's group
// enabled. Input to a box out of reach changes nothing.
bool BoxReachable(TForm1& form1, TForm2& form2, BoxId box);

// The user chose entry `index` from the box's list: the entry is selected,
// its text shown, and the box's change handler runs — also when that entry
// was already chosen, for a choice is the user's act whatever it shows.
// Returns false, changing nothing, for a box out of reach or an index
// outside the list.
bool ChooseEntry(TForm1& form1, TForm2& form2, BoxId box, int index);

// The user edited the box's text so that it now reads `text`: no entry stays
// selected and the change handler runs. Returns false, changing nothing, for
// a box out of reach.
bool TypeText(TForm1& form1, TForm2& form2, BoxId box, std::string_view text);

}  // namespace palorin::forms
