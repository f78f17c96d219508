#pragma once
// What a workbook file is by its content rather than its name: users rename
// files, and an .xlsx protected by a password is no zip package at all.
#include <string>

enum class WorkbookContainer {
    Zip,               // an Office Open XML package (.xlsx)
    Compound,          // a compound document (.xls, BIFF)
    EncryptedPackage,  // a compound document holding an encrypted .xlsx package
    Other,             // anything else, or unreadable
};

WorkbookContainer workbookContainerOf(const std::string& path);
