#pragma once

class QTabWidget;
class QWidget;

// Shows the pages' tabs as a row of flat buttons, the current page's pressed: the tab bar is
// hidden and the row that takes its place switches the pages. Place the row above the pages;
// the pages' tabs must all be there already. The row is named after the pages + "Tabs".
QWidget *FlatTabButtons(QTabWidget *pages, QWidget *parent);
