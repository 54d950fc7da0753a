#include "MakeDemo.h"

void LayOutDemoSounds(const QString& root) { (void)root; }
