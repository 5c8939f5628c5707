[Card]
Width=1012
Height=638
strBackgndBMPName=VISITBACK.BMP
[Logo]
BMPFileName=KORVEL.BMP
