#pragma once
// Summary statistics of one row or column of values (missing cells skipped).
struct StatRecord {
    float min = 0.0f;
    float lowerWhisker = 0.0f;
    float q1 = 0.0f;
    float median = 0.0f;
    float q3 = 0.0f;
    float upperWhisker = 0.0f;
    float max = 0.0f;
    double mean = 0.0;
    double stdev = 0.0;
};
