#pragma once
// Lets pending window events run once, so a wait screen or an overlay paints
// before slow work goes on. Callers guard against re-entry with their flags.
void LetEventsRun();
