#pragma once
// Everything the "Load + Filter + Transform" dialog decides, without the
// windows: its values with their defaults, which controls are enabled, the
// preview, Filter it !, and what OK and Cancel do to the data slots. The Qt
// dialog shows this state and forwards the user's changes to it.
#include <memory>
#include <string>

#include "data/FilePreview.h"
#include "data/LoadPipeline.h"

class DataMatrix;

// The label between the kept and all-rows counts: "row out of" for fewer
// than two kept rows, otherwise "rows out of".
inline const char* keptRowsLabel(int kept) { return kept < 2 ? "row out of" : "rows out of"; }

// Which controls are enabled.
struct LoadDialogEnabled {
    bool ok = true;
    bool logBox = true;
    bool normalizeBox = true;
    // The range group with both direction buttons, the formula group with
    // the four method buttons, both scale edits and the "to" label.
    bool normalizeControls = true;
    bool presentCallBox = true;
    bool presentCallEdits = false;  // p-value and percentage edits with their labels
    bool stdevBox = true;
    bool stdevEdit = false;         // stdev edit with its label
    bool filterButton = false;      // "Filter it !"
    bool countEdits = false;        // the kept and all-rows edits with their labels
    bool saveButton = false;        // "Save this filtering result"
};

class LoadDialogState {
public:
    explicit LoadDialogState(std::string fileName = {}) : m_strFileName(std::move(fileName)) {}

    // Puts the defaults in place and, with a file name, applies the
    // check-box rules and reads the preview. False when the preview failed
    // (its message has been shown): the dialog then ends as if cancelled.
    // Without a file name every filter and transformation is disabled.
    bool initialise();

    // The check boxes, radio groups and focus events.
    void setLog(bool on) { m_bLog = on; }
    void setNormalize(bool on);
    void setDirection(int direction) { m_nDirection = direction; }
    void setMethod(int method) { m_nMethod = method; }
    void setPresentCall(bool on);
    void setStdevFilter(bool on);
    // Focus entering either scale edit selects "Scale from" (method 3).
    void scaleEditFocused() { m_nMethod = 3; }

    // Filter it !: filters `data` (loaded from the file the first time) into
    // a new `filtered` matrix and shows the counts. A stdev threshold of 0
    // shows "Invalid value in the stdev editbox", puts 1.0 back and filters
    // nothing. False when nothing was filtered (invalid value, failed load,
    // cancel); a cancelled run leaves no filtered matrix behind.
    bool filter(std::unique_ptr<DataMatrix>& data, std::unique_ptr<DataMatrix>& filtered);

    // OK: an absent data matrix is created empty. Cancel: a filtered matrix
    // made by this dialog is dropped.
    void accept(std::unique_ptr<DataMatrix>& data) const;
    void reject(std::unique_ptr<DataMatrix>& filtered) const;

    // The label between the two count edits: "row out of" or "rows out of".
    std::string countLabel() const { return keptRowsLabel(m_nKept); }

    // What OK hands to the document read.
    TransformChoice transformChoice() const
    {
        return {m_bLog, m_nDirection, m_nMethod, m_fScaleFrom, m_fScaleTo, m_bSequence};
    }

    const FilePreview& preview() const { return m_preview; }
    const LoadDialogEnabled& enabled() const { return m_enabled; }

    std::string m_strFileName;
    bool m_bLog = false;
    bool m_bNormalize = true;
    int m_nDirection = 0;      // 0 row by row, 1 column by column, -1 off
    int m_nMethod = 0;         // 0..3, -1 off
    bool m_bPresentCall = false;
    bool m_bStdevFilter = false;
    float m_fScaleTo = 1.0f;
    float m_fScaleFrom = 0.0f;
    // The number edits hold texts, as typed.
    std::string m_strPValue = "0.04";
    std::string m_strPercent = "10";
    std::string m_strStdev = "1.0";
    int m_nKept = 0;
    int m_nAll = 0;
    bool m_bSequence = false;
    bool m_bFiltered = false;

private:
    void applyPreview();
    void updateFilterButton() { m_enabled.filterButton = m_bPresentCall || m_bStdevFilter; }

    FilePreview m_preview;
    LoadDialogEnabled m_enabled;
};
