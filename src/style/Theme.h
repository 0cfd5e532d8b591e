#pragma once

#include <QColor>
#include <QFont>

class QWidget;

// The text styles and colours of the window, in the spirit of the desktop's own named styles.
namespace lumora::theme {

QFont title();
QFont headline();
QFont body();
QFont subheadline();
QFont footnote();

QColor yellow();
QColor accent();

// Fills a push button with the accent colour, for the one action a group leads with.
void makeProminent(QWidget* button);

// Paints the rounded card behind a monitor's row or section, faint in the widget's text colour;
// call from its paintEvent().
void paintCard(QWidget* widget);

// Dims a widget's text to the secondary label colour.
void useSecondaryColor(QWidget* widget);

} // namespace lumora::theme
