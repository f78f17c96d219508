#pragma once
// Web look-ups of annotation values: the default URL template of an
// annotation column, the look-up entries a cell offers and the address a
// chosen entry opens.
#include <string>
#include <string_view>
#include <vector>

// The default template of an annotation column by its header ("" = none):
// the first of "Unigene", "LocusLink", "SwissProt" and "Full Length Ref.
// Sequences" that the header contains (compared in lower case, as vendors
// write "UniGene ID") gives a search page of a public database; "%s" marks
// where the term goes.
std::string defaultUrlTemplate(std::string_view header);

// The parts of a cell a look-up can be made for: the text cut at every
// "///", each part stripped of surrounding white space; empty parts are
// dropped.
std::vector<std::string> lookupParts(std::string_view cell);
// The term of a part: its text before the first "//", stripped.
std::string lookupTerm(std::string_view part);
// The menu entry of a part: Look up "PART" in a linked database.
std::string lookupEntryText(std::string_view part);
// The template with every "%s" replaced by the term; characters of the term
// that would change the address (anything but letters, digits and "-._~")
// are percent-encoded.
std::string lookupUrl(std::string_view urlTemplate, std::string_view term);
