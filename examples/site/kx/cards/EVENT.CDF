[Card]
Width=1012
Height=638
[Logo]
BMPFileName=KORVEL.BMP
