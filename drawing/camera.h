#pragma once

#include "core/maths/matrix.h"
#include "core/maths/vector3.h"

// The view: a position and two angles in degrees (x pitch, kept within -90 to
// 90; y yaw, wrapped towards 0 to 360; z unused) with the axes derived from
// them. The axes are computed at construction, so move works from the start.
class camera {
  public:
    camera();
    ~camera();

    void setPosition(const vector3& position) { m_position = position; }
    const vector3& getPosition() const { return m_position; }
    void setRotation(const vector3& rotation); // then updateAxes
    const vector3& getRotation() const { return m_rotation; }

    void move(const vector3& d);   // along the axes as last computed
    void rotate(const vector3& d); // adds to the angles, then updateAxes
    void updateAxes();

    const vector3& getRight() const { return m_right; }
    const vector3& getUp() const { return m_up; }
    const vector3& getForward() const { return m_forward; }

    // For column vectors (translation in the fourth column): transpose it
    // before giving it to the device.
    matrix getViewMatrix();

  private:
    vector3 m_position;
    vector3 m_rotation;
    vector3 m_right;
    vector3 m_up;
    vector3 m_forward;
};
