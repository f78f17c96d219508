#include "cluster/LineWriter.h"

LineWriter::~LineWriter()
{
    if (m_pFile)
        close();
}

bool LineWriter::open(const std::string& path)
{
    if (m_pFile)
        close();
    m_pFile = std::fopen(path.c_str(), "wb");
    m_bFailed = m_pFile == nullptr;
    m_buffer.clear();
    return m_pFile != nullptr;
}

void LineWriter::line(const std::vector<std::string>& cells, bool trailingTab)
{
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i)
            m_buffer.push_back('\t');
        m_buffer.append(cells[i]);
    }
    if (trailingTab)
        m_buffer.push_back('\t');
    m_buffer.push_back('\n');
    if (m_buffer.size() >= (1u << 20))
        flushBuffer();
}

void LineWriter::flushBuffer()
{
    if (m_pFile && !m_buffer.empty() && std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_pFile) != m_buffer.size())
        m_bFailed = true;
    m_buffer.clear();
}

bool LineWriter::close()
{
    if (!m_pFile)
        return false;
    flushBuffer();
    if (std::fclose(m_pFile) != 0)
        m_bFailed = true;
    m_pFile = nullptr;
    return !m_bFailed;
}
