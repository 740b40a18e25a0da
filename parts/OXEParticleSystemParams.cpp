#include "OXEParticleSystemParams.h"

OXEParticleSystemParams::OXEParticleSystemParams()
    : position(0, 0, 0), velocity(0, 0, 0), size(0), finalSize(0), startColour(0), endColour(0),
      lifeTime(0), dispersion(0), speed(0)
{
}
