#pragma once
#include <QDialog>

// Help/About Arx...: the product name and version, Close, and four link
// buttons opening the configured pages in the desktop's browser.
class CAboutDlg final : public QDialog {
    Q_OBJECT
public:
    // The pages the link buttons open: the product's home page (first and
    // fourth buttons), the makers' laboratory and the partner institution.
    static constexpr const char* kHomePage = "https://arbolix.org/";
    static constexpr const char* kLabPage = "https://arbolix.org/lab/";
    static constexpr const char* kPartnerPage = "https://arbolix.org/partners/";

    explicit CAboutDlg(QWidget* parent = nullptr);
};
