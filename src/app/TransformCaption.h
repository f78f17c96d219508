#pragma once
// The one text that says how the values on screen were derived from the
// values as loaded: the logarithm choice and the normalisation's display
// name, e.g. "No Log, Row-by-Row Standardization (Mean and Stdev)". The
// status bar, the colour scale and the figures written by the command line
// all show this text.
#include <string>

class CArxDoc;

// The caption of a choice of transformation. direction -1 means no
// normalisation; a sequence file carries no values to transform.
// A normalisation is computed from the values as loaded, so a logarithm
// chosen with it is named as overridden rather than applied.
std::string transformationCaption(bool log, int direction, int method, float lo, float hi, bool sequence = false);

// The caption of the document's current data; empty when nothing is loaded.
std::string transformationCaption(const CArxDoc& doc);

// What a chart with a "Use Original Values" box shows: the values as loaded
// when the box is checked, otherwise the transformed values named by their
// caption. Empty without a document or data.
std::string valuesShownCaption(const CArxDoc* doc, bool original);
