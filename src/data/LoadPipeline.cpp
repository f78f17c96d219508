#include "data/LoadPipeline.h"

#include "data/DataMatrix.h"

DataMatrix* loadCurrentMatrix(const std::string& path, bool sequence, std::unique_ptr<DataMatrix>& data,
                              std::unique_ptr<DataMatrix>& filtered)
{
    if (filtered)
        return filtered.get();
    if (!data)
        data = std::make_unique<DataMatrix>();
    bool loaded = sequence ? data->loadSequenceFile(path) : data->loadDataFile(path);
    if (!loaded)
        return nullptr;
    filtered.reset();
    return data.get();
}

bool applyTransformations(DataMatrix& m, const TransformChoice& choice)
{
    m.computeStatistics(false, true);
    if (choice.log)
        m.takeLog(1);
    if (choice.direction != -1 && !m.normalize(false, choice.direction, choice.method, choice.lo, choice.hi))
        return false;
    m.computeStatistics(false, false);
    return true;
}
