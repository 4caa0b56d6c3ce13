#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <vector>

class QComboBox;
class QCPColorMap;
class QCustomPlot;

// The adjusted p of every combination of one product's scan: one row per
// base, one column per filter choice (none, one filter, two filters); NaN
// where the scan did not build the combination.
struct AdjustedPGrid {
    QString product;
    QStringList bases;          // top to bottom
    QStringList filterChoices;  // left to right
    std::vector<double> adjustedP;  // row by row

    double at(int base, int filterChoice) const {
        return adjustedP[static_cast<std::size_t>(base * filterChoices.size() + filterChoice)];
    }
};

// The Scan window's picture: one product's grid at a time (a list above it
// picks the product), each cell coloured by its adjusted p and labelled with
// it. Green reads "holds up at 5 %"; above that the colours fade from amber to
// grey, never red: a large p says the test could not tell, not that the
// combination is worthless.
class ScanPicture : public QWidget {
    Q_OBJECT
public:
    explicit ScanPicture(QWidget* parent);

    // One grid per product, in the order the list offers them; empty clears the picture.
    void setGrids(std::vector<AdjustedPGrid> grids);
    const std::vector<AdjustedPGrid>& grids() const { return grids_; }
    int shownProduct() const;
    void showProduct(int index);

private:
    void draw();

    QComboBox* const productList_;
    QCustomPlot* const plot_;
    QCPColorMap* colorMap_;
    std::vector<AdjustedPGrid> grids_;
};
