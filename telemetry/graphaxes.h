// Value axes of the graph window: ranges on round numbers that change only
// when the data leaves them, so the axes do not jitter with every sample.
#pragma once

class QValueAxis;

// The smallest round step (1, 2 or 5 times a power of ten) of at least value.
double roundStep(double value);

// Sets the axis to a range of whole round steps (about five) that holds low
// and high and spans at least leastSpan; a range that already holds them
// with no more than twice the room needed is kept.
void fitAxis(QValueAxis *axis, double low, double high, double leastSpan);
