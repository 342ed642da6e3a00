#pragma once
// Every picture may have a twin painted at twice its density ("name@2x.png"). One rule, for the
// scene, the Control Box and the preview pane alike, says which of the two is drawn.

namespace driftmere {

// Whether a picture shown at `deviceX` x `deviceY` device pixels per picture pixel is drawn from
// its twice-as-dense twin: whenever it is shown larger than it is, either way. The twin scaled
// down keeps detail that the picture scaled up would blur.
inline bool DrawsDenseTwin(double deviceX, double deviceY) {
    return deviceX > 1.0 || deviceY > 1.0;
}

}  // namespace driftmere
