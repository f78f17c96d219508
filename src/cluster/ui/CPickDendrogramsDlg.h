#pragma once
// "Pick two dendrograms to compare": two boxes list the open dendrogram
// views; choosing one shows its title, number and clusters. OK refuses,
// with a message, a missing dendrogram or a cut of fewer than two
// clusters, and stays open.
#include <QDialog>
#include <QString>
#include <vector>

class CForest;
class QComboBox;
class QPlainTextEdit;

class CPickDendrogramsDlg final : public QDialog {
    Q_OBJECT
public:
    struct Dendrogram {
        QString title;
        int number = 0;
        CForest* forest = nullptr;
    };
    CPickDendrogramsDlg(std::vector<Dendrogram> dendrograms, QWidget* parent = nullptr);

    // The chosen forests; nullptr for none.
    CForest* first() const;
    CForest* second() const;
    QComboBox* box(int which) const { return which == 2 ? m_pSecond : m_pFirst; }
    // The information field's text: "Dendro1:%s\r\n%d\r\n# of Clusters=%d".
    QString infoText(int which) const;

    void accept() override;

private:
    CForest* chosen(const QComboBox* box) const;
    void showInfo(int which);

    std::vector<Dendrogram> m_dendrograms;
    QComboBox* m_pFirst;
    QComboBox* m_pSecond;
    QPlainTextEdit* m_pInfo1;
    QPlainTextEdit* m_pInfo2;
    QString m_info[2];
};
