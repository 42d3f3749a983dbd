#include "drawing/camera.h"

#include <cmath>

namespace {

constexpr double DEGREES_TO_RADIANS = 0.017453292519943295;
constexpr float PITCH_LIMIT = 90.0f;
constexpr float FULL_TURN = 360.0f;

float dotOf(const vector3& a, const vector3& b) {
    float result = 0.0f;
    dot(&a, &b, &result);
    return result;
}

} // namespace

camera::camera() {
    updateAxes();
}

camera::~camera() = default;

void camera::setRotation(const vector3& rotation) {
    m_rotation = rotation;
    updateAxes();
}

void camera::move(const vector3& d) {
    m_position.x += m_right.x * d.x + m_up.x * d.y + m_forward.x * d.z;
    m_position.y += m_right.y * d.x + m_up.y * d.y + m_forward.y * d.z;
    m_position.z += m_right.z * d.x + m_up.z * d.y + m_forward.z * d.z;
}

void camera::rotate(const vector3& d) {
    m_rotation.x += d.x;
    m_rotation.y += d.y;
    m_rotation.z += d.z;
    updateAxes();
}

void camera::updateAxes() {
    if (m_rotation.x > PITCH_LIMIT)
        m_rotation.x = PITCH_LIMIT;
    if (m_rotation.x < -PITCH_LIMIT)
        m_rotation.x = -PITCH_LIMIT;
    if (m_rotation.y < 0.0f)
        m_rotation.y += FULL_TURN;
    if (m_rotation.y > FULL_TURN)
        m_rotation.y -= FULL_TURN;

    const float p = static_cast<float>(m_rotation.x * DEGREES_TO_RADIANS);
    const float y = static_cast<float>(m_rotation.y * DEGREES_TO_RADIANS);
    const float sinP = std::sin(p);
    const float cosP = std::cos(p);
    const float sinY = std::sin(y);
    const float cosY = std::cos(y);
    m_right = vector3(cosY, 0.0f, sinY);
    m_up = vector3(-sinP * sinY, cosP, sinP * cosY);
    m_forward = vector3(-cosP * sinY, -sinP, cosP * cosY);
    m_right.normalise();
    m_up.normalise();
    m_forward.normalise();
}

matrix camera::getViewMatrix() {
    updateAxes();
    matrix view = IDENTITY;
    const vector3* axes[3] = {&m_right, &m_up, &m_forward};
    for (int row = 0; row < 3; ++row) {
        view(row, 0) = axes[row]->x;
        view(row, 1) = axes[row]->y;
        view(row, 2) = axes[row]->z;
        view(row, 3) = -dotOf(*axes[row], m_position);
    }
    return view;
}
