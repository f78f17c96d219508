#include "app/TransformCaption.h"

#include "app/CArxDoc.h"
#include "data/DataMatrix.h"

std::string transformationCaption(bool log, int direction, int method, float lo, float hi, bool sequence)
{
    if (sequence)
        return "Protein Sequence (no transformation)";
    const bool normalized = (direction == 0 || direction == 1) && method >= 0 && method <= 3;
    std::string text;
    if (!log)
        text = "No Log";
    else if (normalized)
        text = "Natural Log overridden";
    else
        text = "Natural Log";
    text += ", ";
    if (!normalized)
        return text + "Without Normalization";
    text += direction == 0 ? "Row-by-Row " : "Column-by-Column ";
    return text + DataMatrix::normalizationName(method, lo, hi);
}

std::string transformationCaption(const CArxDoc& doc)
{
    if (!doc.m_bDataLoaded)
        return std::string();
    return transformationCaption(doc.m_bLogTransformed, doc.m_nNormDirection, doc.m_nNormMethod, doc.m_fScaleLo,
                                 doc.m_fScaleHi, doc.m_bSequence);
}

std::string valuesShownCaption(const CArxDoc* doc, bool original)
{
    if (!doc || !doc->m_bDataLoaded)
        return std::string();
    if (original)
        return "Showing the values as loaded";
    return "Showing: " + transformationCaption(*doc);
}
