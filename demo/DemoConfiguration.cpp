#include "MakeDemo.h"

void LayOutDemoConfiguration(const QString& root) { (void)root; }
