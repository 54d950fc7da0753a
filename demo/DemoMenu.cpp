#include "MakeDemo.h"

void LayOutDemoMenu(const QString& root) { (void)root; }
