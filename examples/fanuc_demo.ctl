# Controller definition of the batch demo: a FANUC-type control in millimetres.
NAME(MAX20)= FANUC DEMO
UNIT= 1/1000
DECIMAL POINT= NORMAL
INITIAL PLANE= XY
R-TOLERANCE= 0.01
CHECK F0= YES
# G54 puts the program origin at machine X 20, Y 15 on the top face of the work.
MEMORY G54= (20,15,0,0,0)
# No H memories: they stay 0, so "G43 H1" in the program keeps the programmed point at the tool tip.
