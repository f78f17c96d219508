#include "data/ClassStrip.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>

#include "data/DataMatrix.h"
#include "data/FieldInfo.h"

namespace {

// Okabe-Ito (without its black, which would vanish beside a dark mosaic,
// taken last), then a twelve-colour qualitative set.
constexpr std::array<Rgb, kCategoryColorCount> kCategoryColors{{
    {230, 159, 0},   {86, 180, 233},  {0, 158, 115},   {240, 228, 66},  {0, 114, 178},
    {213, 94, 0},    {204, 121, 167}, {0, 0, 0},       {166, 206, 227}, {31, 120, 180},
    {178, 223, 138}, {51, 160, 44},   {251, 154, 153}, {227, 26, 28},   {253, 191, 111},
    {255, 127, 0},   {202, 178, 214}, {106, 61, 154},  {255, 255, 153}, {177, 89, 40},
}};

bool numberText(const std::string& s, double& v)
{
    if (s.empty())
        return false;
    char* end = nullptr;
    v = std::strtod(s.c_str(), &end);
    return end && *end == '\0';
}

} // namespace

Rgb categoryColor(int category)
{
    if (category < 0)
        return kMissingCategoryColor;
    return kCategoryColors[static_cast<size_t>(category % kCategoryColorCount)];
}

std::string tooManyCategoriesMessage(const std::string& name, int distinct)
{
    return name + " has " + std::to_string(distinct) + " distinct values; a class strip shows at most " +
           std::to_string(kMaxStripCategories) + ".";
}

bool buildClassStrip(const std::string& name, bool columns, const std::vector<std::string>& texts, int limit,
                     ClassStrip& out, std::string& message)
{
    std::vector<std::string> distinct;
    {
        std::vector<std::string> all;
        for (const std::string& t : texts)
            if (!t.empty())
                all.push_back(t);
        std::sort(all.begin(), all.end());
        all.erase(std::unique(all.begin(), all.end()), all.end());
        distinct = std::move(all);
    }
    if (limit > 0 && static_cast<int>(distinct.size()) > limit) {
        message = tooManyCategoriesMessage(name, static_cast<int>(distinct.size()));
        return false;
    }
    bool numeric = true;
    double v = 0.0;
    for (const std::string& t : distinct)
        numeric = numeric && numberText(t, v);
    if (numeric)
        std::stable_sort(distinct.begin(), distinct.end(), [](const std::string& a, const std::string& b) {
            double x = 0.0, y = 0.0;
            numberText(a, x);
            numberText(b, y);
            return x < y;
        });
    std::map<std::string, int> index;
    for (size_t i = 0; i < distinct.size(); ++i)
        index[distinct[i]] = static_cast<int>(i);
    ClassStrip s;
    s.m_strName = name;
    s.m_bColumns = columns;
    s.m_category.reserve(texts.size());
    for (const std::string& t : texts)
        s.m_category.push_back(t.empty() ? -1 : index[t]);
    s.m_categories = std::move(distinct);
    out = std::move(s);
    message.clear();
    return true;
}

bool columnClassStrip(const DataMatrix& data, ClassStrip& out)
{
    if (!data.m_bHasCID || data.m_nColumns <= 0)
        return false;
    std::vector<std::string> texts(static_cast<size_t>(data.m_nColumns));
    for (int k = 0; k < data.m_nColumns; ++k) {
        const int cid = data.columnField(k)->m_nCID;
        if (cid >= 1)
            texts[static_cast<size_t>(k)] = std::to_string(cid);
    }
    std::string unused;
    return buildClassStrip("Classes", true, texts, 0, out, unused);
}

std::vector<std::string> categoricalTexts(const DataMatrix& data, int field)
{
    const FieldInfo* f = data.field(field);
    std::vector<std::string> texts(static_cast<size_t>(data.m_nRows));
    if (!f->isCategorical())
        return texts;
    for (int r = 0; r < data.m_nRows && r < f->m_nCount; ++r) {
        if (f->m_pWeights[static_cast<size_t>(r)] == kMissingWeight)
            continue;
        const int code = static_cast<int>(f->m_pOrgValues[static_cast<size_t>(r)]);
        std::string label = f->labelOf(code);
        texts[static_cast<size_t>(r)] = label.empty() ? std::to_string(code) : label;
    }
    return texts;
}

std::vector<LegendEntry> stripLegend(const ClassStrip& strip, const std::vector<int>& elements)
{
    std::vector<int> counts(strip.m_categories.size(), 0);
    int missing = 0;
    auto count = [&](int c) {
        if (c < 0)
            ++missing;
        else
            ++counts[static_cast<size_t>(c)];
    };
    if (elements.empty())
        for (int c : strip.m_category)
            count(c);
    else
        for (int e : elements)
            count(strip.categoryOf(e));
    std::vector<LegendEntry> out;
    for (size_t i = 0; i < counts.size(); ++i)
        out.push_back({strip.m_categories[i], categoryColor(static_cast<int>(i)), counts[i]});
    if (missing > 0)
        out.push_back({"missing", kMissingCategoryColor, missing});
    return out;
}
