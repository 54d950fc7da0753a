#include "MakeDemo.h"

void LayOutDemoRoster(const QString& root) { (void)root; }
