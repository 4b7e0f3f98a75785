// Placeholder so that an empty subsystem library still builds.
