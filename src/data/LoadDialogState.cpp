#include "data/LoadDialogState.h"

#include "data/CellValue.h"
#include "data/DataMatrix.h"
#include "data/RowFilter.h"
#include "platform/Messages.h"

namespace {
// The texts the number edits start from and return to.
const std::string kDefaultPValue = "0.04";
const std::string kDefaultPercent = "10";
const std::string kDefaultStdev = "1.0";
const std::string kClearedStdev = "1";
} // namespace

bool LoadDialogState::initialise()
{
    m_enabled = LoadDialogEnabled{};
    m_strPValue = kDefaultPValue;
    m_strPercent = kDefaultPercent;
    m_strStdev = kDefaultStdev;
    if (m_strFileName.empty()) {
        m_enabled.presentCallBox = m_enabled.stdevBox = false;
        m_enabled.ok = m_enabled.logBox = m_enabled.normalizeBox = m_enabled.normalizeControls = false;
        return true;
    }
    setPresentCall(m_bPresentCall);
    setStdevFilter(m_bStdevFilter);
    setNormalize(m_bNormalize);
    if (!previewFile(m_strFileName, m_preview))
        return false;
    applyPreview();
    return true;
}

void LoadDialogState::applyPreview()
{
    m_bSequence = m_preview.sequenceFile;
    if (m_bSequence) {
        // A sequence file is read as it is: no filter, no transformation,
        // and no side file (the sequence loader reads none).
        m_bLog = false;
        setNormalize(false);
        setPresentCall(false);
        setStdevFilter(false);
        m_enabled.logBox = m_enabled.normalizeBox = false;
        m_enabled.presentCallBox = m_enabled.stdevBox = false;
        return;
    }
    const bool side = m_preview.sideFile.has_value();
    m_enabled.presentCallBox = side;
    setPresentCall(side);
}

void LoadDialogState::setNormalize(bool on)
{
    m_bNormalize = on;
    m_nDirection = on ? 0 : -1;
    m_nMethod = on ? 0 : -1;
    m_enabled.normalizeControls = on;
}

void LoadDialogState::setPresentCall(bool on)
{
    m_bPresentCall = on;
    m_enabled.presentCallEdits = on;
    if (!on) {
        m_strPValue = kDefaultPValue;
        m_strPercent = kDefaultPercent;
    }
    updateFilterButton();
}

void LoadDialogState::setStdevFilter(bool on)
{
    m_bStdevFilter = on;
    m_enabled.stdevEdit = on;
    if (!on)
        m_strStdev = kClearedStdev;
    updateFilterButton();
}

bool LoadDialogState::filter(std::unique_ptr<DataMatrix>& data, std::unique_ptr<DataMatrix>& filtered)
{
    double p = -1, percent = -1, s = -1;
    if (m_bPresentCall) {
        p = parseLeadingDouble(m_strPValue);
        percent = parseLeadingDouble(m_strPercent);
    }
    if (m_bStdevFilter) {
        s = parseLeadingDouble(m_strStdev);
        if (s == 0) {
            showMessage("Invalid value in the stdev editbox");
            m_strStdev = kDefaultStdev;
            return false;
        }
    }
    // A matrix whose earlier load failed is loaded again rather than filtered empty.
    if (!data || data->isEmpty()) {
        if (!data)
            data = std::make_unique<DataMatrix>();
        if (!data->loadDataFile(m_strFileName))
            return false;
    }
    filtered = std::make_unique<DataMatrix>();
    int kept = filterRows(*data, p, percent, s, *filtered);
    if (kept < 0) {
        filtered.reset();
        m_bFiltered = false;
        m_enabled.countEdits = m_enabled.saveButton = false;
        return false;
    }
    m_nKept = kept;
    m_nAll = data->rowCount();
    m_enabled.countEdits = m_enabled.saveButton = true;
    m_bFiltered = true;
    return true;
}

void LoadDialogState::accept(std::unique_ptr<DataMatrix>& data) const
{
    if (!data)
        data = std::make_unique<DataMatrix>();
}

void LoadDialogState::reject(std::unique_ptr<DataMatrix>& filtered) const
{
    if (m_bFiltered)
        filtered.reset();
}
