#include "MakeDemo.h"

void LayOutDemoResults(const QString& root) { (void)root; }
