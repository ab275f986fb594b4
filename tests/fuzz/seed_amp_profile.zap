[Amplifier Profile]
[ZELAPP Version 6.0]
[General Setup]
MaxLVDT= 2 
[End Section]
[START_AMP_PROFILE]
 1 
 85 
 120 
-5 
 0 
[END_AMP_PROFILE]
[START_AMP_PROFILE]
 2 
 30 
 255 
 100 
-100 
[END_AMP_PROFILE]
[Amplifier Profile End]
