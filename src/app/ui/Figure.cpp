#include "app/ui/Figure.h"

#include <QFileInfo>
#include <cstdio>

#include "app/CArxDoc.h"
#include "app/ui/CArxView.h"
#include "app/ui/CColorMappingView.h"
#include "app/ui/ViewContext.h"
#include "platform/Messages.h"
#include "platform/RecordingMessages.h"

bool parseFigureSize(const std::string& text, int& width, int& height)
{
    int w = 0, h = 0;
    char x = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &rest) != 3 || (x != 'x' && x != 'X'))
        return false;
    if (w < 50 || h < 50 || w > 20000 || h > 20000)
        return false;
    width = w;
    height = h;
    return true;
}

bool saveFigure(CArxDoc& doc, const std::string& path, const FigureOptions& options, std::string& error)
{
    const QString suffix = QFileInfo(QString::fromStdString(path)).suffix().toLower();
    if (suffix != "png" && suffix != "svg" && suffix != "pdf") {
        error = "the figure's file name must end in .png, .svg or .pdf";
        return false;
    }
    if (!doc.m_bDataLoaded) {
        error = "no data to draw";
        return false;
    }
    // Strips: the document's refusals come back as the error.
    if (options.strips) {
        bool columns = false;
        std::vector<std::string> names;
        for (const std::string& s : *options.strips)
            if (s == "columns")
                columns = true;
            else
                names.push_back(s);
        if (columns && !doc.hasColumnClasses()) {
            error = "the data have no column classes (no CID row)";
            return false;
        }
        ScopedRecordingMessages refusals;
        if (!doc.setItemStrips(names)) {
            error = refusals->m_texts.empty() ? "a class strip was refused" : refusals->m_texts.back();
            return false;
        }
        doc.setColumnStripShown(columns);
    }
    // The colour mapping starts as the window's bar starts it.
    CColorMappingView bar(&doc, &viewContext().mapping);
    bar.resize(options.width / 4, 48);
    bar.onUpdate(nullptr, kHintResultsChanged);
    bar.setMode(options.colors == 1 ? 1 : 3);

    CArxView view(&doc);
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.resize(options.width, options.height);
    view.resetFromDocument();
    if (options.minSimilarity)
        view.applyTypedMinSimilarity(*options.minSimilarity);
    view.renderFull();
    ScopedRecordingMessages failures;
    const bool saved = view.savePicture(QString::fromStdString(path));
    if (!saved)
        error = failures->m_texts.empty() ? "cannot write " + path : failures->m_texts.back();
    return saved;
}
